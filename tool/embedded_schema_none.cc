#include "tool/embedded_schema.h"

std::string_view EmbeddedSchema() { return {}; }
