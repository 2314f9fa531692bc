#include "engine/IndependentPoints.h"

#include "script/Scanner.h"

#include <string_view>
#include <utility>

namespace vantrel {

namespace {

// Functions whose value depends on the calls made before: any expression that calls one keeps
// every level strictly in order.
constexpr std::string_view OrderDependentFunctions[] = {"Rnd"};

// Properties of the added functions that a limit finds as an earlier point left them: the error
// of the last failing function (the integrand's evaluation resets it first, a limit's does not).
constexpr std::string_view LeftOverProperties[] = {"ierr"};

// Added functions that read a property besides their argument.
constexpr std::pair<std::string_view, std::string_view> FunctionReads[] = {{"Asin", "halfpi"},
                                                                           {"Acos", "halfpi"}};

using Expr = ScriptControl::ExprHandle;

bool CallsOrderDependent(const ScriptControl& engine, Expr expression) {
    for (std::string_view function : OrderDependentFunctions)
        if (engine.Calls(expression, function)) return true;
    return false;
}

bool Reads(ScriptControl& engine, Expr expression, std::string_view name) {
    if (engine.Mentions(expression, name)) return true;
    const std::string lower = LowerCase(name);
    for (const auto& [function, property] : FunctionReads)
        if (lower == property && engine.Calls(expression, function)) return true;
    return false;
}

// A limit of the level reads only what every point of an outer level gives it afresh.
bool LimitIndependent(ScriptControl& engine, const Dimension& d, int32_t level, Expr limit) {
    if (CallsOrderDependent(engine, limit)) return false;
    for (std::string_view property : LeftOverProperties)
        if (Reads(engine, limit, property)) return false;
    for (int32_t k = 0; k <= level; ++k)
        if (Reads(engine, limit, d.VarNam[k])) return false;
    return true;
}

} // namespace

std::vector<bool> IndependentLevels(ScriptControl& engine, const Dimension& d,
                                    const std::vector<Expr>& lower, const std::vector<Expr>& upper,
                                    Expr integrand) {
    std::vector<bool> independent(static_cast<std::size_t>(d.Order));
    bool sofar = !CallsOrderDependent(engine, integrand);
    for (int32_t L = 0; L < d.Order; ++L) {
        const auto k = static_cast<std::size_t>(L);
        sofar = sofar && LimitIndependent(engine, d, L, lower[k]) &&
                LimitIndependent(engine, d, L, upper[k]);
        independent[k] = sofar;
    }
    return independent;
}

} // namespace vantrel
