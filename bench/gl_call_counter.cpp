// Counts the OpenGL calls a program makes: loaded with LD_PRELOAD, it stands
// in front of the system's OpenGL library for every call the engine makes,
// counts it and passes it on. At exit it writes "glcalls N" to standard error.
#include <GL/gl.h>
#include <dlfcn.h>

#include <cstdio>

namespace {

unsigned long long calls = 0;

// The library's own function of that name, looked up once per function.
template <typename Function>
Function real(const char* name) {
  return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

struct Report {
  ~Report() { std::fprintf(stderr, "glcalls %llu\n", calls); }
} report;

}  // namespace

extern "C" {
// clang-format off
void glBegin(GLenum a) { static auto f = real<decltype(&glBegin)>("glBegin"); ++calls; f(a); }
void glEnd() { static auto f = real<decltype(&glEnd)>("glEnd"); ++calls; f(); }
void glTexCoord2f(GLfloat a, GLfloat b) { static auto f = real<decltype(&glTexCoord2f)>("glTexCoord2f"); ++calls; f(a, b); }
void glVertex3f(GLfloat a, GLfloat b, GLfloat c) { static auto f = real<decltype(&glVertex3f)>("glVertex3f"); ++calls; f(a, b, c); }
void glColor3f(GLfloat a, GLfloat b, GLfloat c) { static auto f = real<decltype(&glColor3f)>("glColor3f"); ++calls; f(a, b, c); }
void glLoadIdentity() { static auto f = real<decltype(&glLoadIdentity)>("glLoadIdentity"); ++calls; f(); }
void glTranslatef(GLfloat a, GLfloat b, GLfloat c) { static auto f = real<decltype(&glTranslatef)>("glTranslatef"); ++calls; f(a, b, c); }
void glRotatef(GLfloat a, GLfloat b, GLfloat c, GLfloat d) { static auto f = real<decltype(&glRotatef)>("glRotatef"); ++calls; f(a, b, c, d); }
void glMatrixMode(GLenum a) { static auto f = real<decltype(&glMatrixMode)>("glMatrixMode"); ++calls; f(a); }
void glOrtho(GLdouble a, GLdouble b, GLdouble c, GLdouble d, GLdouble e, GLdouble g) { static auto f = real<decltype(&glOrtho)>("glOrtho"); ++calls; f(a, b, c, d, e, g); }
void glClear(GLbitfield a) { static auto f = real<decltype(&glClear)>("glClear"); ++calls; f(a); }
void glEnableClientState(GLenum a) { static auto f = real<decltype(&glEnableClientState)>("glEnableClientState"); ++calls; f(a); }
void glDisableClientState(GLenum a) { static auto f = real<decltype(&glDisableClientState)>("glDisableClientState"); ++calls; f(a); }
void glVertexPointer(GLint a, GLenum b, GLsizei c, const GLvoid* d) { static auto f = real<decltype(&glVertexPointer)>("glVertexPointer"); ++calls; f(a, b, c, d); }
void glTexCoordPointer(GLint a, GLenum b, GLsizei c, const GLvoid* d) { static auto f = real<decltype(&glTexCoordPointer)>("glTexCoordPointer"); ++calls; f(a, b, c, d); }
void glColorPointer(GLint a, GLenum b, GLsizei c, const GLvoid* d) { static auto f = real<decltype(&glColorPointer)>("glColorPointer"); ++calls; f(a, b, c, d); }
void glDrawArrays(GLenum a, GLint b, GLsizei c) { static auto f = real<decltype(&glDrawArrays)>("glDrawArrays"); ++calls; f(a, b, c); }
void glFinish() { static auto f = real<decltype(&glFinish)>("glFinish"); ++calls; f(); }
void glFlush() { static auto f = real<decltype(&glFlush)>("glFlush"); ++calls; f(); }
// clang-format on
}
