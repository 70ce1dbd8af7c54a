#include "script/engine_build_id.h"

#include <elf.h>
#include <link.h>

#include <cstring>
#include <string>

#include <js/AllocPolicy.h>
#include <js/BuildId.h>

namespace oru::script {

namespace {

// The build ID note's bytes, as hex digits; empty until found.
std::string engineBuildId;

// Looks through one loaded object's notes for NT_GNU_BUILD_ID when it is the engine library.
int findBuildId(dl_phdr_info* object, size_t, void*) {
  if (!object->dlpi_name || !std::strstr(object->dlpi_name, "libmozjs-")) return 0;
  for (int i = 0; i < object->dlpi_phnum; ++i) {
    const ElfW(Phdr)& segment = object->dlpi_phdr[i];
    if (segment.p_type != PT_NOTE) continue;
    const char* note = reinterpret_cast<const char*>(object->dlpi_addr + segment.p_vaddr);
    const char* end = note + segment.p_memsz;
    while (note + sizeof(ElfW(Nhdr)) <= end) {
      const auto* header = reinterpret_cast<const ElfW(Nhdr)*>(note);
      const char* name = note + sizeof(ElfW(Nhdr));
      const char* description = name + ((header->n_namesz + 3) & ~3u);
      if (header->n_type == NT_GNU_BUILD_ID && header->n_namesz == 4 &&
          std::memcmp(name, "GNU", 4) == 0) {
        static const char digits[] = "0123456789abcdef";
        for (unsigned j = 0; j < header->n_descsz; ++j) {
          unsigned char byte = static_cast<unsigned char>(description[j]);
          engineBuildId += digits[byte >> 4];
          engineBuildId += digits[byte & 15];
        }
        return 1;
      }
      note = description + ((header->n_descsz + 3) & ~3u);
    }
  }
  return 0;
}

bool appendBuildId(JS::BuildIdCharVector* buildId) {
  return buildId->append(engineBuildId.data(), engineBuildId.size());
}

}  // namespace

bool useEngineBuildId() {
  static const bool found = [] {
    dl_iterate_phdr(findBuildId, nullptr);
    if (engineBuildId.empty()) return false;
    JS::SetProcessBuildIdOp(appendBuildId);
    return true;
  }();
  return found;
}

}  // namespace oru::script
