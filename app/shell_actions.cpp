#include "app/shell_actions.h"

#include "app/form/links.h"
#include "controls/names.h"
#include "titles/builtin.h"

namespace qinghe {

void highlight_list_box(Window& window, TextView box) { window.set_text_colour(box, 0x000000); }

void dim_list_box(Window& window, TextView box) { window.set_text_colour(box, 0xC0C0C0); }

void reset_prefix_list(Window& window) {
    if (!window.checked(name::hot_topics_check)) window.replace_content(name::prefix_box, builtin_prefix_list());
}

void open_download_page(Window& window) { window.services().open_address(kDownloadPage); }
void open_media_page(Window& window) { window.services().open_address(kMediaPage); }
void open_messenger_link(Window& window) { window.services().open_address(kMessengerLink); }

}  // namespace qinghe
