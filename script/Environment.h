// The engine's names: the global variables, the members of the added objects, and the
// resolution of a name to one of them, shared by the compiler and the evaluator; and the
// random sequence that the evaluator draws from.
#pragma once

#include "script/Compiler.h"
#include "script/RandomSequence.h"
#include "script/ScriptObject.h"
#include "script/Variant.h"

#include <string>
#include <unordered_map>
#include <vector>

namespace vantrel {

struct MemberRef {
    ScriptObject* object = nullptr;
    int index = 0;
};

class Environment final : public NameResolver {
public:
    // Members of a global object hide variables and built-in functions of the same name.
    void AddObject(ScriptObject* object, bool membersGlobal);
    // A name never seen before becomes a new global variable, Empty until assigned.
    NameBinding Resolve(std::string_view name) override;
    // Makes every name that other knows resolve here as it does there, to the same indices, with
    // the values of its global variables; this environment's objects stand in for other's, added
    // in the same order. False when a name known here resolved otherwise before: programs
    // compiled here earlier no longer mean what they did.
    bool Mirror(const Environment& other);

    std::vector<Variant> globals;
    std::vector<MemberRef> properties; // indexed by Storage and Member bindings
    // The double that a Storage property always holds, by property index (nullptr for Member).
    std::vector<double*> storages;
    std::vector<MemberRef> functions;
    RandomSequence random; // Rnd's numbers: one sequence for the engine's life

private:
    std::vector<ScriptObject*> globalObjects_;
    std::unordered_map<std::string, NameBinding> names_; // by lower-case name
};

} // namespace vantrel
