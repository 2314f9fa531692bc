// The product's name and notices, as the splash and the About window show them.
#pragma once

#include <array>

namespace vantrel {

inline constexpr const char* MakerWebAddress = "www.vantrel.example.org";

// The ten notice lines: three empty lines, the product name, an empty line, the notice of
// rights, an empty line, "All Rights Reserved", an empty line and the maker's web address.
inline constexpr std::array<const char*, 10> NoticeLines{
    "", "",
    "", "Vantrel Integration",
    "", "Copyright (C) 1999-2026 Vantrel Software",
    "", "All Rights Reserved",
    "", MakerWebAddress};

} // namespace vantrel
