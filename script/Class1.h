// The added functions and constants of the expression language, offered to the engine as the
// object "sh" with its members global: pi, halfpi, e, x, ierr and Asin ... Atanh.
#pragma once

#include "ScriptObject.h"

#include <cstdint>
#include <functional>

namespace vantrel {

class Class1 : public ScriptObject {
public:
    double pi = 0.0;
    double halfpi = 0.0;
    double e = 0.0;
    double x = 0.0;
    int32_t ierr = 0;

    // Each function traps every error it meets: the error's number goes to ierr and to the
    // recorder (the main window's ierr), and the result is 0.
    double Asin(const Variant& x);
    double Acos(const Variant& x);
    double Sinh(const Variant& x);
    double Cosh(const Variant& x);
    double Tanh(const Variant& x);
    double Asinh(const Variant& x);
    double Acosh(const Variant& x);
    double Atanh(const Variant& x);

    void SetErrorRecorder(std::function<void(int32_t)> recorder);

    int FindProperty(std::string_view name) const override;
    int FindFunction(std::string_view name) const override;
    Variant GetProperty(int index) const override;
    void SetProperty(int index, const Variant& value) override;
    Variant CallFunction(int index, const Variant& argument) override;
    double* NumberStorage(int index) override;

private:
    // Runs one function's computation, trapping its error into ierr and the recorder.
    template <typename Computation> double Trapped(const Variant& argument, Computation compute);

    std::function<void(int32_t)> recorder_;
};

} // namespace vantrel
