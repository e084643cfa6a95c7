// The schema compiled into the tool: every file of schema/ in the order
// schema.mof includes them, as one MOF text. Empty in builds that read the
// schema from their data folder.
#ifndef QZA_HOST_EMBEDDED_SCHEMA_H
#define QZA_HOST_EMBEDDED_SCHEMA_H

#include <string_view>

std::string_view EmbeddedSchema();

#endif
