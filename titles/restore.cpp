#include "titles/restore.h"

#include "controls/names.h"
#include "titles/builtin.h"

namespace qinghe {

// The lists go in as edits each box can take back: one press must not cost the writer
// lists that took an hour to make.
void restore_defaults(Window& window) {
    window.replace_content(name::prefix_box, builtin_prefix_list());
    window.replace_content(name::link_box, builtin_link_list());
    window.replace_content(name::suffix_box, builtin_suffix_list());
    window.set_content(name::punctuation_1, builtin_punctuation_1());
    window.set_content(name::punctuation_2, builtin_punctuation_2());
    window.set_content(name::punctuation_3, builtin_punctuation_3());
    window.set_content(name::count_box, builtin_count());
}

}  // namespace qinghe
