// Writes the instances of one data source of a repository back as MOF text
// that the reader loads into the same instances: every instance with an
// alias, references by alias, strings escaped as the reader unescapes them.
// A filter may replace each value on the way (the redaction does).
//
//   std::string text = InstancesAsMof(*ns, context);
//   reader.LoadText(text, "copy.mof");   // on top of the same schema
//
// Null values are left out unless the declaration's default is not null;
// references to instances the repository does not hold, and reals that MOF
// cannot write (infinities, NaN), are left out too. So is an instance that
// would not load again: one whose key reference was left unset when it was
// loaded (its target skipped), or names such an instance. Instances whose
// keys the filter makes one are kept apart: the later key gets "~2", "~3"...
#ifndef QZA_REDACTION_MOF_WRITER_H
#define QZA_REDACTION_MOF_WRITER_H

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "core/repository.h"

namespace NVKXQZA20::NRedaction {

// The value written for a property of an instance of a class (index: of
// its declaration in the class's GetPropertyDecls); nothing to write the
// value as it is.
typedef std::function<std::optional<TCIMValue>(const ICIMClass&, size_t index, const std::string& property,
                                               const TCIMValue&)>
    TValueFilter;

std::string InstancesAsMof(const TMemoryNamespace& ns, const TCIMContext& context,
                           const TValueFilter& filter = TValueFilter());

// The same text given to sink piece by piece as it is made (a few
// thousand instances, or about a megabyte of their texts, each), so that a
// large collection is never held whole.
typedef std::function<void(std::string_view piece)> TTextSink;
void InstancesAsMof(const TMemoryNamespace& ns, const TCIMContext& context, const TValueFilter& filter,
                    const TTextSink& sink);

}  // namespace NVKXQZA20::NRedaction

#endif
