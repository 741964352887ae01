#include "hot/bounded_json.h"

#include <algorithm>
#include <charconv>
#include <iterator>

#include "hot/title_text.h"

namespace qinghe {
namespace {

// Walks the input for the parser and runs the pump after every kJsonPumpBytes.
class PumpingIterator {
public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = char;
    using difference_type = std::ptrdiff_t;
    using pointer = const char*;
    using reference = const char&;

    PumpingIterator(const char* at, const std::function<void()>* pump) : at_(at), pump_(pump) {}
    reference operator*() const { return *at_; }
    PumpingIterator& operator++() {
        ++at_;
        if (--until_pump_ == 0) {
            until_pump_ = kJsonPumpBytes;
            if (*pump_) (*pump_)();
        }
        return *this;
    }
    PumpingIterator operator++(int) {
        PumpingIterator before = *this;
        ++*this;
        return before;
    }
    bool operator==(const PumpingIterator& other) const { return at_ == other.at_; }

private:
    const char* at_;
    const std::function<void()>* pump_;
    size_t until_pump_ = kJsonPumpBytes;
};

// Builds the document from the parser's events and stops the parse (by returning false)
// as soon as a bound is crossed, before the value that crosses it is stored.
class BoundedBuilder final : public nlohmann::json_sax<Json> {
public:
    explicit BoundedBuilder(Json& root) : root_(root) {}

    bool null() override { return add(Json()); }
    bool boolean(bool value) override { return add(Json(value)); }
    bool number_integer(number_integer_t value) override { return add(Json(value)); }
    bool number_unsigned(number_unsigned_t value) override { return add(Json(value)); }
    bool number_float(number_float_t value, const string_t&) override { return add(Json(value)); }
    bool string(string_t& value) override { return add(Json(std::move(value))); }
    bool binary(binary_t&) override { return false; }
    bool start_object(std::size_t) override { return open(Json::object()); }
    bool key(string_t& value) override {
        key_ = std::move(value);
        return ++values_ <= kMaxJsonValues;
    }
    bool end_object() override { return close(); }
    bool start_array(std::size_t) override { return open(Json::array()); }
    bool end_array() override { return close(); }
    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) override { return false; }

private:
    // Stores a value in the open container (or as the root); nullptr past the count bound.
    Json* store(Json&& value) {
        if (++values_ > kMaxJsonValues) return nullptr;
        if (open_.empty()) {
            root_ = std::move(value);
            return &root_;
        }
        Json& container = *open_.back();
        if (container.is_array()) {
            container.push_back(std::move(value));
            return &container.back();
        }
        Json& member = container[key_];
        member = std::move(value);
        return &member;
    }
    bool add(Json&& value) { return store(std::move(value)) != nullptr; }
    bool open(Json&& container) {
        if (open_.size() >= kMaxJsonDepth) return false;
        Json* stored = store(std::move(container));
        if (!stored) return false;
        open_.push_back(stored);
        return true;
    }
    bool close() {
        open_.pop_back();
        return true;
    }

    Json& root_;
    // The containers being filled, outermost first. A container moves only while it is
    // closed, when its parent array grows.
    std::vector<Json*> open_;
    std::string key_;
    size_t values_ = 0;
};

// Whether the text keeps the bounds, by its structure alone: the depth of brackets, the
// separators that each precede a value or a key ("[", "{", ",", ":"), and the length of
// every string and of every run of other characters (numbers, literals). Malformed JSON
// may pass; the parser refuses it.
bool within_bounds(std::string_view json, const std::function<void()>& pump) {
    size_t depth = 0, values = 1, token = 0;
    bool in_string = false, escaped = false;
    for (size_t at = 0; at < json.size(); ++at) {
        if (at % kJsonPumpBytes == kJsonPumpBytes - 1 && pump) pump();
        const char c = json[at];
        if (in_string) {
            if (++token > kMaxJsonTokenBytes) return false;
            if (escaped) {
                escaped = false;
            } else if (c == '\\') {
                escaped = true;
            } else if (c == '"') {
                in_string = false;
                token = 0;
            }
            continue;
        }
        switch (c) {
            case '"': in_string = true; break;
            case '[':
            case '{':
                if (++depth > kMaxJsonDepth) return false;
                [[fallthrough]];
            case ',':
            case ':':
                if (++values > kMaxJsonValues) return false;
                break;
            case ']':
            case '}':
                if (depth > 0) --depth;
                break;
            case ' ':
            case '\t':
            case '\n':
            case '\r': break;
            default:
                if (++token > kMaxJsonTokenBytes) return false;
                continue;  // inside a number or literal
        }
        token = 0;
    }
    return true;
}

}  // namespace

Json parse_bounded_json(std::string_view utf8, const std::function<void()>& pump) {
    try {
        if (!within_bounds(utf8, pump)) return Json(Json::value_t::discarded);
        Json root;
        BoundedBuilder builder(root);
        const PumpingIterator first(utf8.data(), &pump), last(utf8.data() + utf8.size(), &pump);
        if (Json::sax_parse(first, last, &builder)) return root;
    } catch (const std::exception&) {
        // Memory ran out (std::bad_alloc): a page too large for what is left holds no
        // titles, and never ends the program.
    }
    return Json(Json::value_t::discarded);
}

const Json* json_at(const Json& root, std::initializer_list<std::string_view> keys) {
    const Json* value = &root;
    for (const std::string_view key : keys) {
        if (!value->is_object()) return nullptr;
        const auto member = value->find(key);
        if (member == value->end()) return nullptr;
        value = &*member;
    }
    return value;
}

const Json* json_array_at(const Json& root, std::initializer_list<std::string_view> keys) {
    const Json* value = json_at(root, keys);
    return value && value->is_array() ? value : nullptr;
}

bool json_true(const Json& object, std::string_view key) {
    const Json* value = json_at(object, {key});
    if (!value) return false;
    if (value->is_boolean()) return value->get<bool>();
    if (value->is_string()) {
        const std::string& text = value->get_ref<const std::string&>();
        return text == "1" || text == "true";
    }
    return value->is_number() && value->get<double>() != 0;
}

Text json_title(const Json& object, std::initializer_list<std::string_view> keys) {
    const Json* value = json_at(object, keys);
    return value && value->is_string() ? one_line_title(value->get_ref<const std::string&>()) : Text();
}

Text json_heat(const Json& object, std::initializer_list<std::string_view> keys) {
    const Json* value = json_at(object, keys);
    if (!value) return {};
    if (value->is_number()) return heat_figure(value->get<double>());
    if (!value->is_string()) return {};
    const std::string& text = value->get_ref<const std::string&>();
    const bool raw_number = !text.empty() && text.size() <= 20 &&
                            text.find_first_not_of("0123456789.") == std::string::npos &&
                            std::count(text.begin(), text.end(), '.') <= 1 && text != ".";
    if (raw_number) {
        double number = 0;  // from_chars reads "." whatever the locale
        std::from_chars(text.data(), text.data() + text.size(), number);
        return heat_figure(number);
    }
    return text.size() <= kMaxHeatBytes ? one_line_title(text) : Text();
}

}  // namespace qinghe
