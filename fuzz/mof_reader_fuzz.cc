// Fuzz target of the MOF reader: any bytes, read as MOF text into a fresh
// namespace, either load or fail with a TMofError; nothing else may escape.
//
// The first byte chooses the setting: bit 0 preloads the bundled schema,
// bit 1 skips instances of undeclared classes (as the tool does by default),
// bit 2 reads strictly (as the tool's --strict), bit 3 reads ahead on two
// threads as the tool reads large collections, in pieces of 1 + 16 * (bits
// 4 to 7) bytes, so that short inputs reach what the threads hand back.
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/mof_reader.h"

using namespace NVKXQZA20;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  bool withSchema = (data[0] & 1) != 0;
  bool lenient = (data[0] & 2) != 0;
  std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
  TMofReader reader(TMemoryNamespace::Create());
  if (lenient) reader.SkipUndeclaredInstances();
  reader.SetStrict((data[0] & 4) != 0);
  if ((data[0] & 8) != 0) reader.SetReadAhead(2, 1 + (data[0] >> 4) * 16);
  try {
    if (withSchema) reader.LoadFile(QZA_SOURCE_DIR "/schema/schema.mof");
    // Named beside the schema so that includes of its files resolve.
    reader.LoadText(text, QZA_SOURCE_DIR "/schema/fuzzed.mof");
  } catch (const TMofError&) {
  }
  return 0;
}
