#include "engine/Dimension.h"

namespace vantrel {

namespace {
template <typename T> void Recreate(std::vector<T>& array, std::size_t size) {
    array.assign(size, T{});
}
} // namespace

void Dimension::RecreateLevelArrays(int32_t order) {
    Order = order;
    LastLevel = order - 1;
    const auto size = static_cast<std::size_t>(order > 0 ? order : 0);
    for (auto* texts : {&VarNam, &LLText, &ULText, &FileLL, &FileUL})
        Recreate(*texts, size);
    Recreate(MinSub, size);
    Recreate(NSub, size);
    for (auto* numbers :
         {&VarVal, &LLVal, &ULVal, &H, &FA, &FB, &Sum7, &Sum12, &Sum14, &Sum32, &PrevInteg, &Integ})
        Recreate(*numbers, size);
}

Class1& Dimension::Funcs() {
    if (!funcs_) funcs_ = std::make_unique<Class1>();
    return *funcs_;
}

} // namespace vantrel
