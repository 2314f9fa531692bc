#include "script/Class1.h"

#include "script/Characters.h"
#include "script/ScriptError.h"
#include "script/VariantOps.h"

#include <array>
#include <cmath>

namespace vantrel {

namespace {

constexpr std::array<std::string_view, 5> PropertyNames = {"pi", "halfpi", "e", "x", "ierr"};
constexpr std::array<std::string_view, 8> FunctionNames = {"Asin", "Acos",  "Sinh",  "Cosh",
                                                           "Tanh", "Asinh", "Acosh", "Atanh"};
constexpr int IerrIndex = 4;

template <std::size_t N>
int FindName(const std::array<std::string_view, N>& names, std::string_view name) {
    for (std::size_t i = 0; i < N; ++i)
        if (EqualsIgnoreCase(names[i], name)) return static_cast<int>(i);
    return -1;
}

// The checked steps of the functions: each raises the error the operation meets.
double Root(double v) {
    if (v < 0.0) throw RuntimeError(5);
    return std::sqrt(v);
}
double Ln(double v) {
    if (v <= 0.0) throw RuntimeError(5);
    return CheckedResult(std::log(v));
}
double Exp(double v) {
    return CheckedResult(std::exp(v));
}
double Quotient(double a, double b) {
    return Arithmetic(BinaryOp::Div, a, b);
}
double Op(double v) {
    return CheckedResult(v);
}

} // namespace

template <typename Computation>
double Class1::Trapped(const Variant& argument, Computation compute) {
    try {
        if (argument.type == VarType::Null) throw RuntimeError(13);
        return compute(ToNumber(argument));
    } catch (const RuntimeError& error) {
        ierr = error.Number;
        if (recorder_) recorder_(error.Number);
        return 0.0;
    }
}

// Asin and Acos are branch-free: s is -1 for |x| <> 1 and 0 at x = +-1, so that the root is 1
// there and the arctangent term vanishes; the +-1 terms come in as halfpi times -1, 0 or 1.
double Class1::Asin(const Variant& argument) {
    return Trapped(argument, [this](double v) {
        const double s = -static_cast<double>(std::fabs(v) != 1.0);
        const double sign = static_cast<double>(v == 1.0) - static_cast<double>(v == -1.0);
        const double arc = std::atan(Quotient(v, Root(Op(1.0 + Op(Op(v * v) * s)))));
        return Op(Op(arc * -s) + Op(halfpi * sign));
    });
}

double Class1::Acos(const Variant& argument) {
    return Trapped(argument, [this](double v) {
        const double s = -static_cast<double>(std::fabs(v) != 1.0);
        const double sign = static_cast<double>(v == -1.0) - static_cast<double>(v == 1.0);
        const double arc = std::atan(Quotient(v, Root(Op(1.0 + Op(Op(v * v) * s)))));
        return Op(Op(halfpi - Op(arc * -s)) + Op(halfpi * sign));
    });
}

double Class1::Sinh(const Variant& argument) {
    return Trapped(argument, [](double v) { return Op(Op(Exp(v) - Exp(-v)) * 0.5); });
}

double Class1::Cosh(const Variant& argument) {
    return Trapped(argument, [](double v) { return Op(Op(Exp(v) + Exp(-v)) * 0.5); });
}

double Class1::Tanh(const Variant& argument) {
    return Trapped(argument, [](double v) {
        const double down = Exp(-v), up = Exp(v);
        return Op(1.0 + Quotient(Op(-2.0 * down), Op(down + up)));
    });
}

double Class1::Asinh(const Variant& argument) {
    return Trapped(argument, [](double v) { return Ln(Op(v + Root(Op(Op(v * v) + 1.0)))); });
}

double Class1::Acosh(const Variant& argument) {
    return Trapped(argument, [](double v) { return Ln(Op(v + Root(Op(Op(v * v) - 1.0)))); });
}

double Class1::Atanh(const Variant& argument) {
    return Trapped(argument,
                   [](double v) { return Op(Ln(Quotient(Op(1.0 + v), Op(1.0 - v))) * 0.5); });
}

void Class1::SetErrorRecorder(std::function<void(int32_t)> recorder) {
    recorder_ = std::move(recorder);
}

int Class1::FindProperty(std::string_view name) const {
    return FindName(PropertyNames, name);
}

int Class1::FindFunction(std::string_view name) const {
    return FindName(FunctionNames, name);
}

double* Class1::NumberStorage(int index) {
    switch (index) {
    case 0:
        return &pi;
    case 1:
        return &halfpi;
    case 2:
        return &e;
    case 3:
        return &x;
    default:
        return nullptr;
    }
}

Variant Class1::GetProperty(int index) const {
    if (index == IerrIndex) return Variant::Num(ierr);
    return Variant::Num(*const_cast<Class1*>(this)->NumberStorage(index));
}

void Class1::SetProperty(int index, const Variant& value) {
    if (index == IerrIndex)
        ierr = ToInt32(value);
    else
        *NumberStorage(index) = ToNumber(value);
}

Variant Class1::CallFunction(int index, const Variant& argument) {
    using Function = double (Class1::*)(const Variant&);
    static constexpr std::array<Function, 8> functions = {
        &Class1::Asin, &Class1::Acos,  &Class1::Sinh,  &Class1::Cosh,
        &Class1::Tanh, &Class1::Asinh, &Class1::Acosh, &Class1::Atanh};
    return Variant::Num((this->*functions[static_cast<std::size_t>(index)])(argument));
}

} // namespace vantrel
