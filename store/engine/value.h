// Field values and field descriptions shared by the table engine, the file readers and every
// part of the program that reads or writes a record.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>
#include <vector>

namespace store {

enum class FieldType { Text, Int16, Int32, AutoInc, Float, Bool, Date };

std::string_view fieldTypeName(FieldType t);
std::optional<FieldType> fieldTypeFromName(std::string_view name);
bool isIntegerType(FieldType t);

// A calendar date. Stored in tables as the ISO text "YYYY-MM-DD".
struct Date {
    int year = 0;
    int month = 0;
    int day = 0;

    bool valid() const;
    // Days since 1970-01-01 (negative before).
    int64_t toDays() const;
    static Date fromDays(int64_t days);
    std::string iso() const;
    static std::optional<Date> fromIso(std::string_view text);
    static Date today();

    auto operator<=>(const Date&) const = default;
};

// One field value. Integers, logicals and dates are held as integers (a date as its day
// number), floats as doubles, texts as UTF-8. An empty value is null.
class Value {
public:
    Value() = default;
    Value(std::nullptr_t) {}
    template <class T, std::enable_if_t<std::is_integral_v<T> && !std::is_same_v<T, bool> &&
                                            !std::is_same_v<T, char>,
                                        int> = 0>
    Value(T v) : v_(static_cast<int64_t>(v)) {}
    Value(double v) : v_(v) {}
    Value(bool v) : v_(int64_t{v ? 1 : 0}) {}
    Value(const Date& d) : v_(d.toDays()) {}
    Value(std::string v) : v_(std::move(v)) {}
    Value(std::string_view v) : v_(std::string(v)) {}
    Value(const char* v) : v_(std::string(v)) {}

    bool isNull() const { return std::holds_alternative<std::monostate>(v_); }
    bool isInt() const { return std::holds_alternative<int64_t>(v_); }
    bool isFloat() const { return std::holds_alternative<double>(v_); }
    bool isText() const { return std::holds_alternative<std::string>(v_); }

    // Raw access; the caller knows the kind.
    int64_t intValue() const { return std::get<int64_t>(v_); }
    double floatValue() const { return std::get<double>(v_); }
    const std::string& textValue() const { return std::get<std::string>(v_); }

    bool operator==(const Value& o) const { return v_ == o.v_; }

private:
    std::variant<std::monostate, int64_t, double, std::string> v_;
};

using Row = std::vector<Value>;

// The description of one stored field of a table.
struct FieldDef {
    std::string name;
    FieldType type = FieldType::Text;
    int size = 0; // text capacity in characters; 0 for the other types
    bool required = false;
    Value defaultValue; // null: no default

    FieldDef() = default;
    FieldDef(std::string n, FieldType t, int sz = 0, bool req = false, Value def = {})
        : name(std::move(n)), type(t), size(t == FieldType::Text ? (sz > 0 ? sz : 20) : 0),
          required(req), defaultValue(std::move(def)) {}
};

// Brings a value into the representation a field of the given type holds: texts are cut to
// the capacity (counted in characters), numbers are converted, an empty text becomes null in a
// non-text field. Throws EngineError (code 9731, "invalid value") when the value cannot be
// converted.
Value coerce(const Value& v, FieldType type, int size);

// Cuts a UTF-8 text to at most n characters.
std::string cutToChars(std::string_view text, int n);
// Number of characters (code points) of a UTF-8 text.
size_t charCount(std::string_view text);

} // namespace store
