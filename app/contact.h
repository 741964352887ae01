#pragma once
// The maker's contact number, shown in the window caption.
namespace qinghe {

inline constexpr const char* kContactNumber = "3069442201";

}  // namespace qinghe
