#pragma once
// The maker's contact number and addresses, in one place: the window caption and the
// three link buttons.
namespace qinghe {

// A macro so that the caption and the messenger link join it at compile time.
#define QINGHE_CONTACT_NUMBER "3069442201"

inline constexpr const char* kContactNumber = QINGHE_CONTACT_NUMBER;
inline constexpr const char* kDownloadPage = "https://www.qinghe-soft.example/software/showdownload.php?lang=cn&id=17";
inline constexpr const char* kMediaPage = "http://www.qinghe-media.example/?mkt";
inline constexpr const char* kMessengerLink =
    "tencent://message/?uin=" QINGHE_CONTACT_NUMBER "&Site=https://www.qinghe-soft.example&Menu=yes";

}  // namespace qinghe
