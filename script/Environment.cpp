#include "script/Environment.h"

#include "script/Builtins.h"
#include "script/Scanner.h"

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
            properties.push_back({*object, property, storage});
            return names_[key] = binding;
        }
        if (const int function = (*object)->FindFunction(name); function >= 0) {
            binding = {NameBinding::Function, static_cast<int32_t>(functions.size())};
            functions.push_back({*object, function, nullptr});
            return names_[key] = binding;
        }
    }
    if (const int builtin = FindBuiltin(name); builtin >= 0)
        return names_[key] = {NameBinding::Builtin, builtin};
    binding = {NameBinding::Variable, static_cast<int32_t>(globals.size())};
    globals.emplace_back();
    return names_[key] = binding;
}

std::vector<std::pair<std::string, int32_t>> Environment::Variables() const {
    std::vector<std::pair<std::string, int32_t>> variables;
    for (const auto& [name, binding] : names_)
        if (binding.kind == NameBinding::Variable) variables.emplace_back(name, binding.index);
    return variables;
}

} // namespace vantrel
