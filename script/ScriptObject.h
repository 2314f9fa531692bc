// An object added to the engine with AddObject: its properties and one-argument functions are
// reachable by bare name when it is added with its members global.
#pragma once

#include "Variant.h"

#include <string_view>

namespace vantrel {

class ScriptObject {
public:
    virtual ~ScriptObject() = default;
    // Member lookup by name, case-insensitive; -1 when there is no such member.
    virtual int FindProperty(std::string_view name) const = 0;
    virtual int FindFunction(std::string_view name) const = 0;
    virtual Variant GetProperty(int index) const = 0;
    // Throws RuntimeError (ScriptRuntime.h) when the value does not fit the property.
    virtual void SetProperty(int index, const Variant& value) = 0;
    virtual Variant CallFunction(int index, const Variant& argument) = 0;
    // The storage of a property that always holds a plain double, which the engine may then
    // read and write directly; nullptr for any other property.
    virtual double* NumberStorage(int /*index*/) { return nullptr; }
};

} // namespace vantrel
