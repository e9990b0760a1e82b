// Option tables, strings and variants driven by names, paths, values and
// formats from the input.
//
// Checked: a found option's name is the path's first component (or the
// last one through aggregates); copies of tables and variants are
// independent of their originals; formatting never reports a length that
// differs from the string it leaves.
#include <cwchar>
#include <string>

#include "foundation/string.h"
#include "foundation/variant.h"
#include "fuzz_input.h"
#include "options/option_table.h"

namespace {

// Short wide text from the input, separators and case twins included, so
// that paths and clashing names arise.
std::wstring take_text(Fuzz_Input& in, int longest) {
    static constexpr wchar_t alphabet[] = L"aAbB/\\\\ %*dlsfx.0123456789$";
    const int length = in.take_int(0, longest);
    std::wstring text;
    for (int i = 0; i < length; ++i) {
        const std::uint8_t pick = in.take<std::uint8_t>();
        // Mostly the alphabet, sometimes any 16-bit unit (invalid text too).
        if (pick < 224)
            text += alphabet[pick % (sizeof alphabet / sizeof alphabet[0] - 1)];
        else
            text += static_cast<wchar_t>(in.take<std::uint16_t>() | 1);
    }
    return text;
}

KT_Option_Value take_value(Fuzz_Input& in, int depth);

KT_Option_Table* take_table(Fuzz_Input& in, int depth) {
    auto* table = new KT_Option_Table;
    const int options = in.take_int(0, 6);
    for (int i = 0; i < options; ++i) {
        const std::wstring name = take_text(in, 6);
        const auto scope = in.take_bool() ? KT_Option_Enum::Global : KT_Option_Enum::Local;
        const KT_Option_Value value = take_value(in, depth + 1);
        KT_Option option(
            KT_Option_Definition(KT_String(name.c_str()), value.type(), value.count(), scope),
            value);
        table->add(option)->set_flag = in.take_bool();
    }
    return table;
}

KT_Option_Value take_value(Fuzz_Input& in, int depth) {
    switch (in.take_int(0, 6)) {
    case 0:
        return KT_Option_Value(in.take_any_int());
    case 1:
        return KT_Option_Value(in.take_coordinate<float>(), in.take_coordinate<float>());
    case 2:
        return KT_Option_Value(in.take_coordinate<double>());
    case 3:
        return KT_Option_Value(KT_String(take_text(in, 12).c_str()));
    case 4:
        if (depth < 3) return KT_Option_Value(KT_Aggregate_Option(take_table(in, depth)));
        return KT_Option_Value(true);
    case 5: {
        const auto type = static_cast<KT_Option_Enum::Type>(in.take_int(-2, 13));
        return KT_Option_Value(type, in.take_int(-2, 5));
    }
    default:
        return KT_Option_Value();
    }
}

void fuzz_tables(Fuzz_Input& in) {
    KT_Option_Table* built = take_table(in, 0);
    KT_Aggregate_Option holder(built);
    KT_Option_Table& table = *holder.table();
    const int lookups = in.take_int(0, 6);
    for (int i = 0; i < lookups; ++i) {
        const std::wstring path = take_text(in, 10);
        KT_Option* found = table.find(KT_String(path.c_str()));
        if (!found) continue;
        // The name matched is a component of the path, and never empty.
        const std::wstring name = found->name().text() ? found->name().text() : L"";
        FUZZ_CHECK(!name.empty());
        FUZZ_CHECK(path.find(name) != std::wstring::npos);
    }
    // A copy and merges in every direction, the table into itself too.
    KT_Option_Table copy(table);
    KT_Option_Table* other = take_table(in, 0);
    KT_Aggregate_Option other_holder(other);
    copy.set(*other);
    copy.inherit(table);
    table.inherit(table);
    table.set(table);
    copy.unset();
    // Writing an element of the copy leaves the original's value alone.
    for (KT_Option* o = copy.first(); o; o = copy.next()) {
        if (o->type() != KT_Option_Enum::Int || o->value.count() < 1) continue;
        KT_Option* original = table.find(o->name());
        const bool shared = original && original->value.shares_body_with(o->value);
        const int before = shared ? original->value.element<int>(0) : 0;
        o->value.set_element(0, before + 1);
        if (shared) FUZZ_CHECK(original->value.element<int>(0) == before);
        break;
    }
}

void fuzz_strings(Fuzz_Input& in) {
    KT_String s(take_text(in, 16).c_str());
    const std::wstring format = take_text(in, 12);
    const int number = in.take_any_int();
    const double real = in.take_coordinate<double>();
    // At most two conversions, each taking up to three arguments (width,
    // precision, value), all of which are passed. Pointer conversions (%s,
    // %n, %p) and length modifiers are left out: the input cannot give
    // valid pointers or long doubles.
    std::wstring safe;
    int conversions = 0;
    for (wchar_t c : format) {
        if (c == L's' || c == L'n' || c == L'p' || c == L'$' || c == L'l') continue;
        if (c == L'%' && ++conversions > 2) break;
        safe += c;
    }
    const int length =
        s.Format(safe.c_str(), number, number, number, real, number, number, number, real);
    FUZZ_CHECK(length >= 0);
    FUZZ_CHECK(length == (s.text() ? static_cast<int>(std::wcslen(s.text())) : 0));
    KT_String joined = s + KT_String(take_text(in, 8).c_str());
    joined.concatenate(joined);
    KT_String copy;
    copy.copy(joined);
    FUZZ_CHECK(copy.length() == joined.length());
}

void fuzz_variants(Fuzz_Input& in) {
    KT_Variant v;
    const int steps = in.take_int(0, 10);
    for (int i = 0; i < steps; ++i) {
        const std::wstring name = take_text(in, 4);
        const bool in_place = in.take_bool();
        switch (in.take_int(0, 6)) {
        case 0:
            v.set_int(in.take_any_int(), in_place);
            break;
        case 1:
            v.set_float(in.take_coordinate<float>(), in_place);
            break;
        case 2:
            v.set_value(name.c_str(), in_place);
            break;
        case 3: {
            const KT_RGB colour = {in.take_coordinate<float>(), in.take_coordinate<float>(),
                                   in.take_coordinate<float>()};
            v.set_value(&colour, in_place);
            break;
        }
        case 4:
            v.set_elem(name.c_str(), KT_Variant(in.take_any_int()), in_place);
            break;
        case 5:
            v.set_elem(name.c_str(), v, in_place);
            break;
        default:
            v.reset(in_place);
            break;
        }
    }
    // A copy written afterwards leaves the original's elements alone.
    KT_Variant copy = v;
    const int count = v.get_elem_count();
    copy.set_elem(L"extra", KT_Variant(1));
    FUZZ_CHECK(v.get_elem_count() == count);
    wchar_t* name = nullptr;
    KT_Variant* value = nullptr;
    for (int i = 0; v.get_elem_at(i, name, value); ++i)
        FUZZ_CHECK(name != nullptr && value != nullptr);
    FUZZ_CHECK(!v.get_elem_at(count, name, value));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Fuzz_Input in(data, size);
    switch (in.take_int(0, 2)) {
    case 0:
        fuzz_tables(in);
        break;
    case 1:
        fuzz_strings(in);
        break;
    default:
        fuzz_variants(in);
        break;
    }
    return 0;
}
