// Any bytes are an INI file: parsing never fails, and the canonical text a write produces reads
// back to the same document.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/ini_document.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  zorvak::IniDocument doc = zorvak::IniDocument::parse(bytes);
  (void)doc.find("CONFIG", "Intervalo");
  (void)doc.find("", "k");
  (void)zorvak::profileReadValue(bytes);
  doc.set("STATUS", "Backup", "09/12/2026 15:45:00");
  const std::string once = doc.serialize();
  zorvak::IniDocument again = zorvak::IniDocument::parse(once);
  // A NUL byte cuts a name short, as Windows does, and a text that begins with the bytes of a
  // byte-order mark is read in that encoding next time: neither is stable across rewrites.
  const bool plain = doc.encoding() == zorvak::IniDocument::Encoding::Ansi && bytes.find('\0') == std::string::npos &&
                     !once.starts_with("\xFF\xFE") && !once.starts_with("\xEF\xBB\xBF");
  if (!plain) return 0;
  if (again.find("STATUS", "Backup") != std::optional<std::string>("09/12/2026 15:45:00")) std::abort();
  if (again.serialize() != once) std::abort();
  return 0;
}
