#include "script/Environment.h"

#include "script/Builtins.h"
#include "script/Scanner.h"

#include <algorithm>
#include <stdexcept>

namespace vantrel {

void Environment::AddObject(ScriptObject* object, bool membersGlobal) {
    if (!membersGlobal) return;
    globalObjects_.push_back(object);
    for (auto it = names_.begin(); it != names_.end();)
        if (object->FindProperty(it->first) >= 0 || object->FindFunction(it->first) >= 0)
            it = names_.erase(it);
        else
            ++it;
}

NameBinding Environment::Resolve(std::string_view name) {
    std::string key = LowerCase(name);
    if (const auto found = names_.find(key); found != names_.end()) return found->second;
    NameBinding binding;
    for (auto object = globalObjects_.rbegin(); object != globalObjects_.rend(); ++object) {
        if (const int property = (*object)->FindProperty(name); property >= 0) {
            double* storage = (*object)->NumberStorage(property);
            binding = {storage ? NameBinding::Storage : NameBinding::Member,
                       static_cast<int32_t>(properties.size())};
            properties.push_back({*object, property});
            storages.push_back(storage);
            return names_[key] = binding;
        }
        if (const int function = (*object)->FindFunction(name); function >= 0) {
            binding = {NameBinding::Function, static_cast<int32_t>(functions.size())};
            functions.push_back({*object, function});
            return names_[key] = binding;
        }
    }
    if (const int builtin = FindBuiltin(name); builtin >= 0)
        return names_[key] = {NameBinding::Builtin, builtin};
    binding = {NameBinding::Variable, static_cast<int32_t>(globals.size())};
    globals.emplace_back();
    return names_[key] = binding;
}

bool Environment::Mirror(const Environment& other) {
    bool kept = globals.size() <= other.globals.size() &&
                properties.size() <= other.properties.size() &&
                functions.size() <= other.functions.size();
    for (const auto& [name, binding] : names_) {
        const auto there = other.names_.find(name);
        kept = kept && there != other.names_.end() && there->second.kind == binding.kind &&
               there->second.index == binding.index;
    }
    const auto own = [&](const MemberRef& member) {
        const auto k =
            std::find(other.globalObjects_.begin(), other.globalObjects_.end(), member.object) -
            other.globalObjects_.begin();
        if (static_cast<std::size_t>(k) >= globalObjects_.size())
            throw std::logic_error("the names of an engine whose objects differ");
        return MemberRef{globalObjects_[static_cast<std::size_t>(k)], member.index};
    };
    properties.clear();
    storages.clear();
    for (const MemberRef& property : other.properties) {
        properties.push_back(own(property));
        storages.push_back(properties.back().object->NumberStorage(property.index));
    }
    functions.clear();
    for (const MemberRef& function : other.functions)
        functions.push_back(own(function));
    globals = other.globals;
    names_ = other.names_;
    return kept;
}

} // namespace vantrel
