#include "script/ScriptEngine.h"

#include "script/Builtins.h"
#include "script/NumberFormat.h"
#include "script/Scanner.h"
#include "script/VariantOps.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

namespace vantrel {

namespace {

// Texts beyond this many distinct ones are compiled each time instead of kept, so that a
// stream of ever-new texts cannot fill the memory.
constexpr std::size_t CacheLimit = 4096;

// A lone number or variable runs about as fast on the evaluator, while a compile costs some tens
// of milliseconds of a processor's time.
bool WorthCompiling(const Program& program) {
    return program.code.size() > 1 && jit::Compilable(program);
}

bool IsCompileError(int32_t number) {
    return number >= 1000;
}

// A limit such as 0 or 1 (constants folded), evaluated for every inner integral: it is its own
// value, with nothing run and nothing that can fail.
std::optional<double> LoneNumberOf(const Program& program) {
    if (program.numeric && program.code.size() == 1 && program.code[0].code == OpCode::PushNumber)
        return program.code[0].number;
    return std::nullopt;
}

} // namespace

void ScriptEngine::AddObject(ScriptObject* object, bool membersGlobal) {
    names_.AddObject(object, membersGlobal);
    // Texts compiled earlier may have resolved a name that the object now provides.
    statements_.clear();
    expressions_.clear();
    variableHandles_.clear();
}

const Program& ScriptEngine::Compiled(std::string_view text, SourceKind kind, Program& uncached) {
    auto& cache = kind == SourceKind::Statement ? statements_ : expressions_;
    const std::string key(text);
    if (const auto found = cache.find(key); found != cache.end())
        return programs_[static_cast<std::size_t>(found->second)];
    Program program = Compile(text, kind, names_);
    PrepareNumeric(program);
    if (cache.size() >= CacheLimit) {
        uncached = std::move(program);
        return uncached;
    }
    programs_.push_back(std::move(program));
    numericRuns_.emplace_back().program = &programs_.back();
    cache.emplace(key, static_cast<int32_t>(programs_.size() - 1));
    return programs_.back();
}

Variant ScriptEngine::Execute(const Program& program) {
    try {
        return Run(program, names_, stack_);
    } catch (const ProgramError& error) {
        Fail(program, error);
    }
}

void ScriptEngine::Fail(const Program& program, const ProgramError& failure) {
    error_.Number = failure.number;
    error_.Source = IsCompileError(failure.number) ? CompileErrorSource : RuntimeErrorSource;
    error_.Description = StandardDescription(failure.number);
    error_.Text = program.text;
    // A text is one line: a line end before other text is itself the error.
    error_.Line = 1;
    error_.Column = failure.column;
    if (handler_) handler_();
    throw ScriptFailure(error_.Number, error_.Source, error_.Description);
}

void ScriptEngine::ExecuteStatement(std::string_view statement) {
    ++statementsRun_;
    Program uncached;
    Execute(Compiled(statement, SourceKind::Statement, uncached));
}

Variant ScriptEngine::Eval(std::string_view expression) {
    Program uncached;
    return Execute(Compiled(expression, SourceKind::Expression, uncached));
}

int32_t ScriptEngine::Prepare(std::string_view expression) {
    const std::string key(expression);
    auto found = expressions_.find(key);
    if (found == expressions_.end()) {
        Program program = Compile(expression, SourceKind::Expression, names_);
        PrepareNumeric(program);
        programs_.push_back(std::move(program));
        numericRuns_.emplace_back().program = &programs_.back();
        found = expressions_.emplace(key, static_cast<int32_t>(programs_.size() - 1)).first;
    }
    // Code made for another engine of the same names serves this one from the start.
    NumericRuns& runs = numericRuns_[static_cast<std::size_t>(found->second)];
    if (!runs.code && WorthCompiling(*runs.program))
        runs.code = compiler_->Find(*runs.program, runs.batch);
    return found->second;
}

Variant ScriptEngine::Evaluate(int32_t expression) {
    return Execute(programs_[static_cast<std::size_t>(expression)]);
}

double ScriptEngine::EvaluateNumber(int32_t expression) {
    NumericRuns& runs = numericRuns_[static_cast<std::size_t>(expression)];
    const Program& program = *runs.program;
    if (program.numeric) {
        if (const std::optional<double> lone = LoneNumberOf(program)) return *lone;
        double result = 0.0;
        if (runs.code) {
            if (const jit::NumericFunction machine = runs.code->Function())
                if (machine(names_.globals.data(), names_.storages.data(), &result)) return result;
        }
        if (runs.runs < compileAfterRuns_) {
            // Code from an earlier computation is looked for well before it would be compiled,
            // once the evaluator has run a tenth of a millisecond or more: a look that finds
            // nothing costs some tens of microseconds, and one that finds the code a tenth.
            const bool compile = ++runs.runs == compileAfterRuns_;
            if ((compile || runs.runs == compileAfterRuns_ / 20) && WorthCompiling(program))
                runs.code = compiler_->Request(program, runs.batch, compile);
        }
        const bool seen = runs.numbersSeenAt == statementsRun_;
        try {
            if (RunNumeric(program, names_, !seen, result)) {
                runs.numbersSeenAt = statementsRun_;
                return result;
            }
        } catch (const ProgramError& error) {
            Fail(program, error);
        }
    }
    return ToNumber(Execute(program));
}

std::optional<double> ScriptEngine::LoneNumber(int32_t expression) const {
    return LoneNumberOf(programs_[static_cast<std::size_t>(expression)]);
}

bool ScriptEngine::Mentions(int32_t expression, std::string_view name) {
    if (!IsAssignableName(name)) return false;
    const NameBinding binding = names_.Resolve(name);
    const bool property =
        binding.kind == NameBinding::Storage || binding.kind == NameBinding::Member;
    if (binding.kind != NameBinding::Variable && !property) return false;
    const MemberRef* member =
        property ? &names_.properties[static_cast<std::size_t>(binding.index)] : nullptr;
    for (const Instruction& in : programs_[static_cast<std::size_t>(expression)].code) {
        const bool readsVariable =
            in.code == OpCode::PushVar || (in.code == OpCode::Binary && in.operand == Operand::Var);
        const bool readsProperty = in.code == OpCode::PushStorage ||
                                   in.code == OpCode::PushMember ||
                                   (in.code == OpCode::Binary && in.operand == Operand::Storage);
        if (!property && readsVariable && in.index == binding.index) return true;
        if (property && readsProperty) {
            const MemberRef& read = names_.properties[static_cast<std::size_t>(in.index)];
            if (read.object == member->object && read.index == member->index) return true;
        }
    }
    return false;
}

bool ScriptEngine::Calls(int32_t expression, std::string_view function) const {
    const int builtin = FindBuiltin(function);
    for (const Instruction& in : programs_[static_cast<std::size_t>(expression)].code) {
        if (in.code == OpCode::CallBuiltin && builtin >= 0 && in.index == builtin) return true;
        if (in.code == OpCode::CallMember) {
            const MemberRef& called = names_.functions[static_cast<std::size_t>(in.index)];
            if (called.object->FindFunction(function) == called.index) return true;
        }
    }
    return false;
}

void ScriptEngine::CopyNamesFrom(const Environment& names) {
    ++statementsRun_; // values change behind the bound variables' last stores
    if (!names_.Mirror(names)) {
        statements_.clear();
        expressions_.clear();
        variableHandles_.clear();
    }
}

int32_t ScriptEngine::BindVariable(std::string_view name) {
    const std::string key = LowerCase(name);
    if (const auto found = variableHandles_.find(key); found != variableHandles_.end())
        return found->second;
    BoundVariable bound;
    bound.name = std::string(name);
    if (IsAssignableName(name)) {
        const NameBinding binding = names_.Resolve(name);
        bound.index = binding.index;
        switch (binding.kind) {
        case NameBinding::Variable:
            bound.kind = BoundVariable::Global;
            break;
        case NameBinding::Storage:
            bound.kind = BoundVariable::Storage;
            break;
        case NameBinding::Member:
            bound.kind = BoundVariable::Member;
            break;
        default:
            break; // a function: the statement raises its error
        }
    }
    variables_.push_back(std::move(bound));
    const auto handle = static_cast<int32_t>(variables_.size() - 1);
    variableHandles_.emplace(key, handle);
    return handle;
}

// The statement name = <15-digit text of value> reads the text back as Round15(value), with
// the sign applied to the read magnitude, which is the same double. A variable or plain-double
// property that was given the same value since the last statement still holds it, as nothing
// but statements and assignments store there.
void ScriptEngine::Assign(std::span<const int32_t> variables, const double* values) {
    for (std::size_t k = 0; k < variables.size(); ++k) {
        const BoundVariable& bound = variables_[static_cast<std::size_t>(variables[k])];
        if (!bound.Holds(std::bit_cast<uint64_t>(values[k]), statementsRun_))
            Assign(variables[k], values[k]);
    }
}

bool ScriptEngine::AssignsPlainly(int32_t variable) const {
    const BoundVariable& bound = variables_[static_cast<std::size_t>(variable)];
    return bound.kind == BoundVariable::Global || bound.kind == BoundVariable::Storage;
}

void ScriptEngine::Assign(int32_t variable, double value) {
    BoundVariable& bound = variables_[static_cast<std::size_t>(variable)];
    if (!AssignAtOnce(bound, value)) AssignByStatement(bound, value);
}

bool ScriptEngine::AssignAtOnce(BoundVariable& bound, double value) {
    const auto bits = std::bit_cast<uint64_t>(value);
    if (bound.Holds(bits, statementsRun_)) return true;
    if (bound.kind == BoundVariable::Text || !std::isfinite(value)) return false;
    if (bits != bound.lastBits) {
        bound.lastStored = Round15(value);
        bound.lastBits = bits;
    }
    // A text that reads back as no finite number fails as the statement fails.
    if (!std::isfinite(bound.lastStored)) return false;
    bound.storedAt = statementsRun_;
    if (bound.kind == BoundVariable::Member)
        AssignMember(bound, value);
    else
        StorePlainly(bound, bound.lastStored);
    return true;
}

void ScriptEngine::AssignByStatement(const BoundVariable& bound, double value) {
    ExecuteStatement(bound.name + "=" + AssignmentText(value));
}

void ScriptEngine::AssignMember(const BoundVariable& bound, double value) {
    const MemberRef& member = names_.properties[static_cast<std::size_t>(bound.index)];
    try {
        member.object->SetProperty(member.index, Variant::Num(bound.lastStored));
    } catch (const RuntimeError& error) {
        Program statement;
        statement.text = bound.name + "=" + AssignmentText(value);
        Fail(statement, {error.Number, static_cast<int32_t>(bound.name.size())});
    }
}

double* ScriptEngine::StorePlainly(const BoundVariable& bound, double stored) {
    if (bound.kind == BoundVariable::Storage) {
        double* const storage = names_.storages[static_cast<std::size_t>(bound.index)];
        *storage = stored;
        return storage;
    }
    Variant& slot = names_.globals[static_cast<std::size_t>(bound.index)];
    slot.type = VarType::Number;
    slot.number = stored;
    slot.text.clear();
    return &slot.number;
}

jit::NumericFunction ScriptEngine::ReadyCode(int32_t expression) const {
    const NumericRuns& runs = numericRuns_[static_cast<std::size_t>(expression)];
    return runs.code ? runs.code->Function() : nullptr;
}

bool ScriptEngine::MachineCodeReady(int32_t expression) const {
    return ReadyCode(expression) != nullptr;
}

jit::BatchVariable ScriptEngine::BatchBinding(int32_t variable) const {
    const BoundVariable& bound = variables_[static_cast<std::size_t>(variable)];
    return bound.kind == BoundVariable::Global
               ? jit::BatchVariable{jit::BatchVariable::Global, bound.index}
           : bound.kind == BoundVariable::Storage
               ? jit::BatchVariable{jit::BatchVariable::Storage, bound.index}
               : jit::BatchVariable{};
}

void ScriptEngine::BatchOver(int32_t expression, int32_t variable) {
    NumericRuns& runs = numericRuns_[static_cast<std::size_t>(expression)];
    const jit::BatchVariable batch = BatchBinding(variable);
    if (runs.batch == batch) return;
    runs.batch = batch;
    runs.code = WorthCompiling(*runs.program) ? compiler_->Find(*runs.program, batch) : nullptr;
}

void ScriptEngine::LookUpMachineCode(int32_t expression) {
    NumericRuns& runs = numericRuns_[static_cast<std::size_t>(expression)];
    if (!runs.code && WorthCompiling(*runs.program))
        runs.code = compiler_->Request(*runs.program, runs.batch, false);
}

std::size_t ScriptEngine::RoundPoints(std::span<const double> xs, double* rounded) {
    Round15Many(xs, rounded);
    std::size_t count = 0;
    while (count < xs.size() && std::isfinite(xs[count]) && std::isfinite(rounded[count]))
        ++count;
    return count;
}

// Batches are compared by their bits: 0 and -0 have roundings of their own. Two chains are the
// same where their first points and their steps are. The batches come in the same order at every
// outer point: the one after the last found is looked at first.
ScriptEngine::RoundedBatch& ScriptEngine::RoundAgain(std::span<const double> xs, double step) {
    const auto bits = [](double x) { return std::bit_cast<uint64_t>(x); };
    const std::size_t count = roundedBatches_.size();
    for (std::size_t tried = 0, i = nextBatch_; tried < count; ++tried) {
        RoundedBatch& kept = roundedBatches_[i];
        i = i + 1 == count ? 0 : i + 1;
        if (kept.points.size() != xs.size()) continue;
        if (kept.step != 0 && step != 0
                ? bits(kept.step) == bits(step) && bits(kept.points[0]) == bits(xs[0])
                : std::memcmp(kept.points.data(), xs.data(), xs.size_bytes()) == 0) {
            nextBatch_ = i;
            return kept;
        }
    }
    nextBatch_ = 0;
    RoundedBatch kept; // the oldest one's room where there are enough
    if (roundedBatches_.size() == KeptBatches) {
        kept = std::move(roundedBatches_.front());
        roundedBatches_.pop_front();
    }
    kept.points.assign(xs.begin(), xs.end());
    kept.step = step;
    kept.rounded.resize(xs.size());
    kept.finite = RoundPoints(xs, kept.rounded.data());
    kept.squares.clear(); // made by the batch functions that keep squares
    return roundedBatches_.emplace_back(std::move(kept));
}

double* ScriptEngine::Squares(int32_t expression, std::size_t count, std::vector<double>& room) {
    const NumericRuns& runs = numericRuns_[static_cast<std::size_t>(expression)];
    const std::size_t size = jit::KeptSquaresSize(runs.code->KeptSquares(), count);
    if (room.size() < size) room.resize(size, NAN);
    return room.data();
}

// Assign's fast path and EvaluateNumber's machine code, point after point. The points' stored
// values come first, as far as the fast path goes: a point that needs the statement route ends
// the run before anything of it is stored. A point whose value needs the evaluator ends the run
// after its value is stored, which Assign then finds held. The run counts of EvaluateNumber are
// not needed, since machine code exists only once they have reached the compile.
std::size_t ScriptEngine::EvaluateMany(int32_t expression, int32_t variable,
                                       std::span<const double> xs, double* values, bool pointsAgain,
                                       double step) {
    if (!ReadyCode(expression) || !AssignsPlainly(variable)) return 0;
    if (pointsAgain) {
        RoundedBatch& kept = RoundAgain(xs, step);
        return EvaluateRounded(expression, variable, xs.first(kept.finite), kept.rounded.data(),
                               values, kept.squares);
    }
    roundedPoints_.resize(xs.size());
    const std::size_t count = RoundPoints(xs, roundedPoints_.data());
    return EvaluateRounded(expression, variable, xs.first(count), roundedPoints_.data(), values,
                           squares_);
}

std::size_t ScriptEngine::EvaluateRounded(int32_t expression, int32_t variable,
                                          std::span<const double> xs, const double* rounded,
                                          double* values) {
    return EvaluateRounded(expression, variable, xs, rounded, values, squares_);
}

std::size_t ScriptEngine::EvaluateRounded(int32_t expression, int32_t variable,
                                          std::span<const double> xs, const double* rounded,
                                          double* values, std::vector<double>& squares) {
    const jit::NumericFunction machine = ReadyCode(expression);
    const std::size_t count = xs.size();
    if (count == 0 || !machine || !AssignsPlainly(variable)) return 0;
    BoundVariable& bound = variables_[static_cast<std::size_t>(variable)];
    std::size_t done = 0;
    if (const jit::ManyFunction many = BatchFunction(expression, variable)) {
        done = many(names_.globals.data(), names_.storages.data(), rounded, values, count,
                    Squares(expression, count, squares));
    } else {
        double* const slot = StorePlainly(bound, rounded[0]);
        for (; done < count; ++done) {
            *slot = rounded[done];
            if (!machine(names_.globals.data(), names_.storages.data(), &values[done])) break;
        }
    }
    HoldPoint(bound, xs, rounded, done);
    return done;
}

jit::ManyFunction ScriptEngine::BatchFunction(int32_t expression, int32_t variable) const {
    const NumericRuns& runs = numericRuns_[static_cast<std::size_t>(expression)];
    return ReadyCode(expression) && runs.batch == BatchBinding(variable) ? runs.code->Many()
                                                                         : nullptr;
}

// The batch function keeps the variable to itself: the variable then holds the point where it
// stopped, or the last point.
void ScriptEngine::HoldPoint(BoundVariable& bound, std::span<const double> xs,
                             const double* rounded, std::size_t done) {
    const std::size_t held = std::min(done, xs.size() - 1);
    StorePlainly(bound, rounded[held]);
    bound.lastBits = std::bit_cast<uint64_t>(xs[held]);
    bound.lastStored = rounded[held];
    bound.storedAt = statementsRun_;
}

std::size_t ScriptEngine::EvaluateRoundedOver(int32_t expression, int32_t variable,
                                              std::span<const double> xs, const double* rounded,
                                              int32_t outerVariable, std::span<const double> outer,
                                              double* values) {
    const jit::ManyFunction many = BatchFunction(expression, variable);
    const std::size_t count = xs.size();
    if (count == 0 || !many || !AssignsPlainly(variable) || !AssignsPlainly(outerVariable))
        return 0;
    BoundVariable& bound = variables_[static_cast<std::size_t>(outerVariable)];
    double* const squares = Squares(expression, count, squares_);
    std::size_t done = 0, points = 0;
    for (; done < outer.size(); ++done, values += count) {
        if (!AssignAtOnce(bound, outer[done])) break;
        points =
            many(names_.globals.data(), names_.storages.data(), rounded, values, count, squares);
        if (points < count) break;
    }
    if (done > 0 || points > 0)
        HoldPoint(variables_[static_cast<std::size_t>(variable)], xs, rounded, points);
    return done;
}

} // namespace vantrel
