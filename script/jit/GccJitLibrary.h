// libgccjit, loaded when the first program is compiled rather than at start: the library is large,
// and most computations end before anything is compiled.
#pragma once

#include <libgccjit.h>

namespace vantrel::jit {

#define VANTREL_GCCJIT_FUNCTIONS(X)                                                                \
    X(block_add_assignment)                                                                        \
    X(block_add_assignment_op)                                                                     \
    X(block_end_with_conditional)                                                                  \
    X(block_end_with_jump)                                                                         \
    X(block_end_with_return)                                                                       \
    X(context_acquire)                                                                             \
    X(context_add_command_line_option)                                                             \
    X(context_add_driver_option)                                                                   \
    X(context_compile_to_file)                                                                     \
    X(context_get_builtin_function)                                                                \
    X(context_get_first_error)                                                                     \
    X(context_get_type)                                                                            \
    X(context_new_array_access)                                                                    \
    X(context_new_array_type)                                                                      \
    X(context_new_binary_op)                                                                       \
    X(context_new_call)                                                                            \
    X(context_new_call_through_ptr)                                                                \
    X(context_new_cast)                                                                            \
    X(context_new_comparison)                                                                      \
    X(context_new_function)                                                                        \
    X(context_new_function_ptr_type)                                                               \
    X(context_new_global)                                                                          \
    X(context_new_param)                                                                           \
    X(context_new_rvalue_from_double)                                                              \
    X(context_new_rvalue_from_int)                                                                 \
    X(context_new_rvalue_from_long)                                                                \
    X(context_new_unary_op)                                                                        \
    X(context_one)                                                                                 \
    X(context_release)                                                                             \
    X(context_set_bool_allow_unreachable_blocks)                                                   \
    X(context_set_bool_print_errors_to_stderr)                                                     \
    X(context_set_int_option)                                                                      \
    X(context_zero)                                                                                \
    X(function_new_block)                                                                          \
    X(function_new_local)                                                                          \
    X(global_set_initializer)                                                                      \
    X(lvalue_as_rvalue)                                                                            \
    X(param_as_rvalue)                                                                             \
    X(rvalue_dereference)                                                                          \
    X(type_get_const)                                                                              \
    X(type_get_pointer)

// The library's functions, each under its name without the gcc_jit_ prefix.
struct GccJit {
#define VANTREL_GCCJIT_POINTER(name) decltype(&gcc_jit_##name) name = nullptr;
    VANTREL_GCCJIT_FUNCTIONS(VANTREL_GCCJIT_POINTER)
#undef VANTREL_GCCJIT_POINTER
};

// The loaded library, or nullptr where it is not installed; loaded once, on the first call.
const GccJit* LoadGccJit();

} // namespace vantrel::jit
