#include "engine/stroke_font.h"

#include <cstddef>

namespace oru::engine {

namespace {

// Glyphs are drawn on a grid of whole units: x 0..4, y 0 (cap line) to 6 (baseline), descenders
// down to 9; lower case letters start at y 2. Characters are 6 units apart, so 2 units of
// space separate neighbours.
constexpr float capUnits = 6.0f;
constexpr float advanceUnits = 6.0f;

// One glyph per printable character from ' ' to '~': polylines separated by spaces, each a run of
// points written as two digits x y. A polyline of one point is a dot.
const char* const glyphs[95] = {
    "",                                     // ' '
    "2024 26",                              // !
    "1012 3032",                            // "
    "1115 3135 0242 0444",                  // #
    "42311102133344351504 2026",            // $
    "0640 0010110100 3545463635",           // %
    "4612112031320405162644",               // &
    "2022",                                 // '
    "302112142536",                         // (
    "102132342516",                         // )
    "2125 0244 0442",                       // *
    "2125 0343",                            // +
    "252617",                               // ,
    "1333",                                 // -
    "26",                                   // .
    "0640",                                 // /
    "103041453616050110 0541",              // 0
    "112026 1636",                          // 1
    "01103041420646",                       // 2
    "01103041423313 334445361605",          // 3
    "36300444",                             // 4
    "4000023243453606",                     // 5
    "4130100105163645443303",               // 6
    "00404116",                             // 7
    "103041423313020110 1304051636454433",  // 8
    "0516364541301001021343",               // 9
    "22 26",                                // :
    "22 252617",                            // ;
    "410345",                               // <
    "0242 0444",                            // =
    "014305",                               // >
    "01103041422324 26",                    // ?
    "34321214344441301001051646",           // @
    "0602204246 0444",                      // A
    "033342413000000636454433",             // B
    "4130100105163645",                     // C
    "00304145360600",                       // D
    "40000646 0333",                        // E
    "400006 0333",                          // F
    "41301001051636454323",                 // G
    "0006 4046 0343",                       // H
    "1030 2026 1636",                       // I
    "404536160504",                         // J
    "0006 400346",                          // K
    "000646",                               // L
    "0600234046",                           // M
    "06004640",                             // N
    "103041453616050110",                   // O
    "06003041423303",                       // P
    "103041453616050110 2446",              // Q
    "06003041423303 2346",                  // R
    "413010010213334445361605",             // S
    "0040 2026",                            // T
    "000516364540",                         // U
    "002640",                               // V
    "0016233640",                           // W
    "0046 4006",                            // X
    "002340 2326",                          // Y
    "00400646",                             // Z
    "30101636",                             // [
    "0046",                                 // backslash
    "10303616",                             // ]
    "022042",                               // ^
    "0747",                                 // _
    "1021",                                 // `
    "12324346 441405163645",                // a
    "0006 0312324345361605",                // b
    "4332120305163645",                     // c
    "4046 4332120305163645",                // d
    "044443321203051646",                   // e
    "4130201116 0232",                      // f
    "4248391908 4332120304153544",          // g
    "0006 0312324346",                      // h
    "20 122226",                            // i
    "30 223238291908",                      // j
    "0006 420446",                          // k
    "10202536",                             // l
    "0206 03122326 23324346",               // m
    "0206 0312324346",                      // n
    "123243453616050312",                   // o
    "0209 0312324345361605",                // p
    "4249 4332120305163645",                // q
    "0206 04223243",                        // r
    "4212031434453606",                     // s
    "10152636 0232",                        // t
    "0205163645 4246",                      // u
    "022642",                               // v
    "0216243642",                           // w
    "0246 4206",                            // x
    "0226 4218",                            // y
    "02420646",                             // z
    "302011120314152636",                   // {
    "2028",                                 // |
    "102031324334352616",                   // }
    "03123443",                             // ~
};

// Appends the strokes of one glyph with its cell's top-left corner at (left, top).
void addGlyph(const char* strokes, float left, float top, float unit,
              std::vector<TextSegment>& segments) {
  const auto x = [&](const char* point) { return left + (point[0] - '0') * unit; };
  const auto y = [&](const char* point) { return top + (point[1] - '0') * unit; };
  for (const char* p = strokes; *p != '\0';) {
    if (*p == ' ') {
      ++p;
      continue;
    }
    const char* start = p;
    for (p += 2; *p != '\0' && *p != ' '; p += 2) {
      segments.push_back({x(p - 2), y(p - 2), x(p), y(p)});
    }
    if (p == start + 2) segments.push_back({x(start), y(start), x(start), y(start)});
  }
}

}  // namespace

const char* glyphStrokes(unsigned char character) {
  return (character >= ' ' && character <= '~') ? glyphs[character - ' '] : glyphs['?' - ' '];
}

float characterAdvance(float capHeight) { return capHeight * advanceUnits / capUnits; }

std::vector<TextSegment> layOutText(std::string_view text, float left, float top, float capHeight) {
  const float unit = capHeight / capUnits;
  std::vector<TextSegment> segments;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char* strokes = glyphStrokes(static_cast<unsigned char>(text[i]));
    addGlyph(strokes, left + i * characterAdvance(capHeight), top, unit, segments);
  }
  return segments;
}

}  // namespace oru::engine
