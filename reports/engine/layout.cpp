#include "reports/engine/layout.h"

#include "store/format/format.h"

#include <algorithm>
#include <cctype>
#include <map>

namespace reports::engine {

using store::DataSet;
using store::FieldType;
using store::Value;

// ---------------------------------------------------------------------------------------------
// Metrics and text helpers

namespace {

double em(const Font& f) {
    return f.size * kUnitsPerPoint;
}

bool isNarrow(const Font& f) {
    return store::equalsNoCase(f.family, kArialNarrow);
}

size_t codePointLength(unsigned char lead) {
    if (lead < 0x80) {
        return 1;
    }
    if ((lead & 0xE0) == 0xC0) {
        return 2;
    }
    if ((lead & 0xF0) == 0xE0) {
        return 3;
    }
    if ((lead & 0xF8) == 0xF0) {
        return 4;
    }
    return 1; // a stray byte counts as one character
}

} // namespace

std::vector<std::string> splitCodePoints(std::string_view utf8) {
    std::vector<std::string> out;
    size_t i = 0;
    while (i < utf8.size()) {
        size_t n = std::min(codePointLength(static_cast<unsigned char>(utf8[i])), utf8.size() - i);
        out.emplace_back(utf8.substr(i, n));
        i += n;
    }
    return out;
}

double FixedFontMetrics::textWidth(const Font& font, std::string_view utf8) {
    const double perChar = em(font) * (isNarrow(font) ? 0.41 : 0.5) * (font.bold ? 1.1 : 1.0);
    return perChar * static_cast<double>(splitCodePoints(utf8).size());
}

double FixedFontMetrics::lineHeight(const Font& font) {
    return em(font) * 1.15;
}

std::string fitPrefix(FontMetrics& metrics, const Font& font, std::string_view utf8, double width) {
    if (metrics.textWidth(font, utf8) <= width) {
        return std::string(utf8);
    }
    std::string prefix;
    for (const std::string& cp : splitCodePoints(utf8)) {
        std::string longer = prefix + cp;
        if (metrics.textWidth(font, longer) > width) {
            break;
        }
        prefix = std::move(longer);
    }
    return prefix;
}

std::vector<std::string> wrapLine(FontMetrics& metrics, const Font& font, std::string_view line,
                                  double width) {
    std::vector<std::string> out;
    if (line.empty() || metrics.textWidth(font, line) <= width) {
        out.emplace_back(line);
        return out;
    }
    // words with the blanks before them kept, so that the blanks of the text survive
    std::string current;
    size_t i = 0;
    while (i < line.size()) {
        size_t wordStart = line.find_first_not_of(' ', i);
        if (wordStart == std::string_view::npos) {
            break; // trailing blanks are dropped at a break
        }
        size_t wordEnd = line.find(' ', wordStart);
        if (wordEnd == std::string_view::npos) {
            wordEnd = line.size();
        }
        std::string_view blanks = line.substr(i, wordStart - i);
        std::string_view word = line.substr(wordStart, wordEnd - wordStart);
        i = wordEnd;
        std::string candidate =
            current.empty() ? std::string(word) : current + std::string(blanks) + std::string(word);
        if (metrics.textWidth(font, candidate) <= width) {
            current = std::move(candidate);
            continue;
        }
        if (!current.empty()) {
            out.push_back(std::move(current));
            current.clear();
        }
        // the word alone; broken between characters while it is too wide
        std::string rest(word);
        while (metrics.textWidth(font, rest) > width) {
            std::string head = fitPrefix(metrics, font, rest, width);
            if (head.empty()) {
                head = splitCodePoints(rest).front(); // not even one character fits
            }
            out.push_back(head);
            rest.erase(0, head.size());
        }
        current = std::move(rest);
    }
    if (!current.empty() || out.empty()) {
        out.push_back(std::move(current));
    }
    return out;
}

// ---------------------------------------------------------------------------------------------
// Values

namespace {

double toDouble(const Value& v) {
    if (v.isFloat()) {
        return v.floatValue();
    }
    if (v.isInt()) {
        return static_cast<double>(v.intValue());
    }
    if (v.isText()) {
        return store::fmt::parseNumber(v.textValue()).value_or(0.0);
    }
    return 0.0;
}

bool isNumberType(FieldType t) {
    switch (t) {
    case FieldType::Int16:
    case FieldType::Int32:
    case FieldType::AutoInc:
    case FieldType::Float:
        return true;
    default:
        return false;
    }
}

std::string lower(std::string_view s) {
    std::string out(s);
    for (char& c : out) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return out;
}

std::string trimmed(std::string_view s) {
    return store::fmt::trim(s);
}

} // namespace

std::string formatFieldValue(const store::Field& field, const Value& value, std::string_view mask) {
    if (value.isNull()) {
        return {};
    }
    if (value.isText()) {
        return value.textValue(); // masks apply to numbers only
    }
    switch (field.type()) {
    case FieldType::Bool:
        return value.isInt() && value.intValue() != 0 ? "True" : "False";
    case FieldType::Date:
        return value.isInt() ? store::fmt::formatDate(store::Date::fromDays(value.intValue()))
                             : std::string();
    default:
        break;
    }
    if (isNumberType(field.type()) || value.isFloat()) {
        if (!mask.empty()) {
            return store::fmt::formatMask(toDouble(value), mask);
        }
        if (!field.displayFormat.empty()) {
            return store::fmt::formatMask(toDouble(value), field.displayFormat);
        }
    }
    if (value.isFloat()) {
        return store::fmt::formatGeneral(value.floatValue());
    }
    return field.type() == FieldType::Float ? store::fmt::formatGeneral(toDouble(value))
                                            : store::fmt::formatInt(value.intValue());
}

Expression parseExpression(std::string_view text) {
    std::string t = trimmed(text);
    Expression e;
    std::string_view body = t;
    if (t.size() >= 4 && lower(t.substr(0, 3)) == "sum") {
        std::string rest = trimmed(std::string_view(t).substr(3));
        if (rest.size() < 2 || rest.front() != '(' || rest.back() != ')') {
            throw ReportError("Hibás kifejezés: " + std::string(text));
        }
        e.sum = true;
        t = trimmed(std::string_view(rest).substr(1, rest.size() - 2));
        body = t;
    }
    const size_t dot = body.find('.');
    if (dot == std::string_view::npos) {
        throw ReportError("Hibás kifejezés: " + std::string(text));
    }
    e.dataSet = trimmed(body.substr(0, dot));
    e.field = trimmed(body.substr(dot + 1));
    auto isName = [](const std::string& s) {
        return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) {
            return std::isalnum(static_cast<unsigned char>(c)) || c == '_' ||
                   static_cast<unsigned char>(c) >= 0x80;
        });
    };
    if (!isName(e.dataSet) || !isName(e.field)) {
        throw ReportError("Hibás kifejezés: " + std::string(text));
    }
    return e;
}

// ---------------------------------------------------------------------------------------------
// Pages

std::vector<const TextItem*> Page::texts(std::string_view name) const {
    std::vector<const TextItem*> out;
    for (const Item& it : items) {
        if (const auto* t = std::get_if<TextItem>(&it); t && t->name == name) {
            out.push_back(t);
        }
    }
    return out;
}

const TextItem* Page::text(std::string_view name) const {
    for (const Item& it : items) {
        if (const auto* t = std::get_if<TextItem>(&it); t && t->name == name) {
            return t;
        }
    }
    return textEqual(name);
}

const TextItem* Page::textEqual(std::string_view text) const {
    for (const Item& it : items) {
        if (const auto* t = std::get_if<TextItem>(&it); t && t->text == text) {
            return t;
        }
    }
    return nullptr;
}

std::vector<const TextItem*> Page::allTexts() const {
    std::vector<const TextItem*> out;
    for (const Item& it : items) {
        if (const auto* t = std::get_if<TextItem>(&it)) {
            out.push_back(t);
        }
    }
    return out;
}

// ---------------------------------------------------------------------------------------------
// The layout run

namespace {

struct BoundField {
    DataSet* dataSet = nullptr; // null: prints nothing
    int field = -1;
    bool master = false;
};

struct Sum {
    DataSet* dataSet = nullptr;
    int field = -1;
    bool master = false;
    bool sum = false;
    double total = 0;
};

class Layouter {
public:
    Layouter(const Report& r, FontMetrics& m, const LayoutOptions& o) : r_(r), m_(m), o_(o) {}

    Document run() {
        doc_.title = r_.caption;
        doc_.setup = r_.page;
        ds_ = r_.dataSet();
        if (ds_ == nullptr) {
            throw ReportError("A riporthoz nincs adatforrás rendelve: " + r_.name());
        }
        if (!ds_->active()) {
            throw ReportError("Az adatforrás nincs megnyitva: " + ds_->name());
        }
        collectBands();
        resolve();
        rows_ = ds_->rowCount();
        if (rows_ == 0 && !r_.printIfEmpty) {
            return std::move(doc_);
        }
        left_ = mmToUnits(r_.page.leftMm);
        top_ = mmToUnits(r_.page.topMm);
        width_ = r_.page.printableWidth();
        footerTop_ = r_.page.pageHeight() - mmToUnits(r_.page.bottomMm) -
                     (footer_ != nullptr ? footer_->height : 0.0);

        startPage();
        std::vector<Value> groupValues(groups_.size());
        const double detailHeight = detail_ != nullptr ? detail_->height : 0.0;
        for (int row = 0; row < rows_; ++row) {
            row_ = row;
            size_t changedFrom = groups_.size();
            for (size_t g = 0; g < groups_.size(); ++g) {
                Value v = ds_->rowValue(row, groupFields_[g]);
                if (row == 0 || !(v == groupValues[g])) {
                    changedFrom = std::min(changedFrom, g);
                }
                groupValues[g] = std::move(v);
            }
            for (size_t g = changedFrom; g < groups_.size(); ++g) {
                printFlow(*groups_[g], detailHeight); // kept together with the first record
            }
            ++detailNo_;
            if (detail_ != nullptr) {
                printFlow(*detail_, 0);
            }
            accumulate(row);
        }
        if (summary_ != nullptr) {
            printFlow(*summary_, 0);
        }
        finishPage(true);
        return std::move(doc_);
    }

private:
    void collectBands() {
        for (const auto& b : r_.bands()) {
            if (!b->enabled) {
                continue;
            }
            auto take = [&](Band*& slot) {
                if (slot == nullptr) {
                    slot = b.get();
                }
            };
            switch (b->kind()) {
            case BandKind::PageHeader:
                take(pageHeader_);
                break;
            case BandKind::Title:
                take(title_);
                break;
            case BandKind::ColumnHeader:
                take(columnHeader_);
                break;
            case BandKind::GroupHeader:
                groups_.push_back(b.get());
                break;
            case BandKind::Detail:
                take(detail_);
                break;
            case BandKind::Summary:
                take(summary_);
                break;
            case BandKind::PageFooter:
                take(footer_);
                break;
            case BandKind::Child:
                break; // printed with its parent
            }
        }
    }

    int fieldIndex(DataSet& ds, const std::string& name) {
        store::Field* f = ds.findField(name);
        if (f == nullptr) {
            throw ReportError("Nincs ilyen mező: " + ds.name() + "." + name + " (" + r_.name() +
                              ")");
        }
        return f->index();
    }

    void resolve() {
        std::vector<DataSet*> known = {ds_};
        for (const auto& b : r_.bands()) {
            for (const auto& e : b->elements()) {
                if (e->kind == ElementKind::DataField && e->dataSet != nullptr) {
                    known.push_back(e->dataSet);
                }
            }
        }
        for (const Band* g : groups_) {
            if (g->groupField.empty()) {
                throw ReportError("A csoportsávnak nincs mezője (" + r_.name() + ")");
            }
            groupFields_.push_back(fieldIndex(*ds_, g->groupField));
        }
        for (const auto& b : r_.bands()) {
            for (const auto& e : b->elements()) {
                if (!e->enabled) {
                    continue;
                }
                if (e->kind == ElementKind::DataField) {
                    BoundField bf;
                    DataSet* target = e->dataSet != nullptr ? e->dataSet
                                      : e->ownDataSet       ? nullptr
                                                            : ds_;
                    if (target != nullptr) {
                        if (!target->active()) {
                            throw ReportError("Az adatforrás nincs megnyitva: " + target->name());
                        }
                        bf.dataSet = target;
                        bf.field = fieldIndex(*target, e->field);
                        bf.master = target == ds_;
                    }
                    fields_[e.get()] = bf;
                } else if (e->kind == ElementKind::Expression) {
                    Expression x = parseExpression(e->expression);
                    Sum s;
                    s.sum = x.sum;
                    for (DataSet* d : known) {
                        if (store::equalsNoCase(d->name(), x.dataSet)) {
                            s.dataSet = d;
                            break;
                        }
                    }
                    if (s.dataSet == nullptr) {
                        throw ReportError("Ismeretlen adatforrás a kifejezésben: " + e->expression);
                    }
                    if (!s.dataSet->active()) {
                        throw ReportError("Az adatforrás nincs megnyitva: " + s.dataSet->name());
                    }
                    s.field = fieldIndex(*s.dataSet, x.field);
                    s.master = s.dataSet == ds_;
                    sumIndex_[e.get()] = sums_.size();
                    sums_.push_back(s);
                }
            }
        }
    }

    Value read(DataSet& ds, int field, bool master, int row) {
        if (master) {
            return row >= 0 ? ds.rowValue(row, field) : Value();
        }
        return ds.field(field).value();
    }

    void accumulate(int row) {
        for (Sum& s : sums_) {
            if (s.sum) {
                s.total += toDouble(read(*s.dataSet, s.field, s.master, row));
            }
        }
    }

    // the record the non-detail bands show: the one printed last, the first before any
    int currentRow() const { return rows_ == 0 ? -1 : std::max(row_, 0); }

    std::string valueText(const Element& e) {
        switch (e.kind) {
        case ElementKind::Label:
            return e.text;
        case ElementKind::DataField: {
            const BoundField& bf = fields_.at(&e);
            if (bf.dataSet == nullptr) {
                return {};
            }
            const Value v = read(*bf.dataSet, bf.field, bf.master, currentRow());
            return formatFieldValue(bf.dataSet->field(bf.field), v, e.mask);
        }
        case ElementKind::SysData:
            switch (e.sysData) {
            case SysDataKind::DetailNumber:
                return std::to_string(detailNo_);
            case SysDataKind::PageNumber:
                return std::to_string(page().number);
            case SysDataKind::Date:
                return store::fmt::formatDate(o_.today);
            }
            return {};
        case ElementKind::Expression: {
            Sum& s = sums_.at(sumIndex_.at(&e));
            if (s.sum) {
                return e.mask.empty() ? store::fmt::formatGeneral(s.total)
                                      : store::fmt::formatMask(s.total, e.mask);
            }
            const Value v = read(*s.dataSet, s.field, s.master, currentRow());
            return formatFieldValue(s.dataSet->field(s.field), v, e.mask);
        }
        default:
            return {};
        }
    }

    void addText(std::vector<Item>& out, const Element& e, BandKind band, double y,
                 std::string text) {
        if (text.empty()) {
            return;
        }
        const double lh = m_.lineHeight(e.font);
        double w = e.width;
        if (w <= 0) {
            w = m_.textWidth(e.font, text);
        } else if (e.align == Align::Left) {
            // a left-aligned text is cut at the right edge; numbers, right-aligned or centred,
            // are never cut: a shortened number would print a wrong value
            text = fitPrefix(m_, e.font, text, w);
            if (text.empty()) {
                return;
            }
        }
        TextItem t;
        t.name = e.name;
        t.band = band;
        t.rect = Rect{left_ + e.left, y + e.top, w, e.height > 0 ? e.height : lh};
        t.text = std::move(text);
        t.font = e.font;
        t.color = e.color;
        t.align = e.align;
        out.emplace_back(std::move(t));
    }

    // Renders the band's elements with the band's top at `y`; returns the band's height
    // (grown by stretching memos).
    double render(const Band& band, double y, std::vector<Item>& out) {
        double height = band.height;
        const BandKind kind = band.kind();
        for (const auto& ep : band.elements()) {
            const Element& e = *ep;
            if (!e.enabled) {
                continue;
            }
            switch (e.kind) {
            case ElementKind::Label:
            case ElementKind::DataField:
            case ElementKind::SysData:
            case ElementKind::Expression:
                addText(out, e, kind, y, valueText(e));
                break;
            case ElementKind::Memo: {
                const double lh = m_.lineHeight(e.font);
                std::vector<std::string> lines;
                for (const std::string& l : e.lines) {
                    if (e.width > 0) {
                        for (std::string& w : wrapLine(m_, e.font, l, e.width)) {
                            lines.push_back(std::move(w));
                        }
                    } else {
                        lines.push_back(l);
                    }
                }
                size_t shown = lines.size();
                if (!e.autoStretch && e.height > 0) {
                    shown = std::min(shown, static_cast<size_t>((e.height + 0.01) / lh));
                }
                for (size_t i = 0; i < shown; ++i) {
                    if (lines[i].empty()) {
                        continue;
                    }
                    TextItem t;
                    t.name = e.name;
                    t.band = kind;
                    const double w = e.width > 0 ? e.width : m_.textWidth(e.font, lines[i]);
                    t.rect = Rect{left_ + e.left, y + e.top + static_cast<double>(i) * lh, w, lh};
                    t.text = lines[i];
                    t.font = e.font;
                    t.color = e.color;
                    t.align = e.align;
                    out.emplace_back(std::move(t));
                }
                if (e.autoStretch) {
                    height = std::max(height, e.top + static_cast<double>(shown) * lh);
                }
                break;
            }
            case ElementKind::Shape: {
                const Rect rc{left_ + e.left, y + e.top, e.width, e.height};
                if (e.shape == ShapeKind::Rectangle) {
                    out.emplace_back(RectItem{e.name, kind, rc, e.brush});
                } else if (e.shape == ShapeKind::HorizontalLine) {
                    const double my = rc.y + rc.h / 2;
                    out.emplace_back(
                        LineItem{e.name, kind, rc.x, my, rc.right(), my, e.penWidth, e.brush});
                } else {
                    const double mx = rc.x + rc.w / 2;
                    out.emplace_back(
                        LineItem{e.name, kind, mx, rc.y, mx, rc.bottom(), e.penWidth, e.brush});
                }
                break;
            }
            case ElementKind::Picture:
                if (!e.picture.empty()) {
                    out.emplace_back(PictureItem{e.name, kind,
                                                 Rect{left_ + e.left, y + e.top, e.width, e.height},
                                                 e.picture});
                }
                break;
            }
        }
        if (band.frame.top) {
            out.emplace_back(LineItem{
                {}, kind, left_, y, left_ + width_, y, band.frame.width, band.frame.color});
        }
        if (band.frame.bottom) {
            out.emplace_back(LineItem{{},
                                      kind,
                                      left_,
                                      y + height,
                                      left_ + width_,
                                      y + height,
                                      band.frame.width,
                                      band.frame.color});
        }
        return height;
    }

    Page& page() { return doc_.pages.back(); }

    // Prints a band at the current position (and its child after it); a band that does not fit
    // above the page footer, together with `keepWith` units after it, goes to a new page.
    void printFlow(const Band& band, double keepWith) {
        std::vector<Item> items;
        double h = render(band, 0, items);
        if (!fresh_ && y_ + h + keepWith > footerTop_ + 0.001) {
            finishPage(false);
            startPage();
            items.clear();
            h = render(band, 0, items); // the page number has changed
        }
        place(items, y_);
        y_ += h;
        fresh_ = false;
        if (Band* c = band.child(); c != nullptr && c->enabled) {
            printFlow(*c, 0);
        }
    }

    void place(std::vector<Item>& items, double dy) {
        for (Item& it : items) {
            std::visit(
                [dy](auto& x) {
                    if constexpr (std::is_same_v<std::decay_t<decltype(x)>, LineItem>) {
                        x.y1 += dy;
                        x.y2 += dy;
                    } else {
                        x.rect.y += dy;
                    }
                },
                it);
            page().items.push_back(std::move(it));
        }
    }

    // A band printed at a fixed place (headers at the top, the footer at the foot).
    void printAt(const Band& band, double y) {
        std::vector<Item> items;
        const double h = render(band, 0, items);
        place(items, y);
        y_ = y + h;
        if (Band* c = band.child(); c != nullptr && c->enabled) {
            printAt(*c, y_);
        }
    }

    void startPage() {
        Page p;
        p.number = static_cast<int>(doc_.pages.size()) + 1;
        doc_.pages.push_back(std::move(p));
        y_ = top_;
        if (pageHeader_ != nullptr && (page().number > 1 || r_.firstPageHeader)) {
            printAt(*pageHeader_, y_);
        }
        if (title_ != nullptr && page().number == 1) {
            printAt(*title_, y_);
        }
        if (columnHeader_ != nullptr) {
            printAt(*columnHeader_, y_);
        }
        fresh_ = true;
    }

    void finishPage(bool last) {
        if (footer_ != nullptr && (!last || r_.lastPageFooter)) {
            const double saved = y_;
            printAt(*footer_, footerTop_);
            y_ = saved;
        }
    }

    const Report& r_;
    FontMetrics& m_;
    LayoutOptions o_;
    Document doc_;
    DataSet* ds_ = nullptr;
    int rows_ = 0;
    int row_ = -1;
    int detailNo_ = 0;
    double left_ = 0;
    double top_ = 0;
    double width_ = 0;
    double footerTop_ = 0;
    double y_ = 0;
    bool fresh_ = true;
    Band* pageHeader_ = nullptr;
    Band* title_ = nullptr;
    Band* columnHeader_ = nullptr;
    Band* detail_ = nullptr;
    Band* summary_ = nullptr;
    Band* footer_ = nullptr;
    std::vector<Band*> groups_;
    std::vector<int> groupFields_;
    std::map<const Element*, BoundField> fields_;
    std::map<const Element*, size_t> sumIndex_;
    std::vector<Sum> sums_;
};

} // namespace

Document layoutReport(const Report& report, FontMetrics& metrics, const LayoutOptions& options) {
    Layouter l(report, metrics, options);
    return l.run();
}

} // namespace reports::engine
