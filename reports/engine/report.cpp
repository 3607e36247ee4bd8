#include "reports/engine/report.h"

namespace reports::engine {

std::string_view bandKindName(BandKind kind) {
    switch (kind) {
    case BandKind::PageHeader:
        return "page header";
    case BandKind::Title:
        return "title";
    case BandKind::ColumnHeader:
        return "column header";
    case BandKind::GroupHeader:
        return "group header";
    case BandKind::Detail:
        return "detail";
    case BandKind::Summary:
        return "summary";
    case BandKind::Child:
        return "child";
    case BandKind::PageFooter:
        return "page footer";
    }
    return "band";
}

Element& Band::add(Element e) {
    elements_.push_back(std::make_unique<Element>(std::move(e)));
    return *elements_.back();
}

Band& Report::addBand(BandKind kind, double height) {
    if (kind == BandKind::Child) {
        throw ReportError("a child band is added with addChild");
    }
    bands_.push_back(std::make_unique<Band>(kind, height));
    return *bands_.back();
}

Band& Report::addChild(Band& parent, double height) {
    if (parent.child_ != nullptr) {
        throw ReportError("the band has a child already");
    }
    bands_.push_back(std::make_unique<Band>(BandKind::Child, height));
    Band& c = *bands_.back();
    c.parent_ = &parent;
    parent.child_ = &c;
    return c;
}

Band* Report::band(BandKind kind) const {
    for (const auto& b : bands_) {
        if (b->kind() == kind) {
            return b.get();
        }
    }
    return nullptr;
}

Element* Report::findElement(std::string_view name) const {
    for (const auto& b : bands_) {
        for (const auto& e : b->elements()) {
            if (e->name == name) {
                return e.get();
            }
        }
    }
    return nullptr;
}

Element& Report::element(std::string_view name) const {
    if (Element* e = findElement(name)) {
        return *e;
    }
    throw ReportError("no element " + std::string(name) + " in report " + name_);
}

std::vector<Element*> Report::labels(std::string_view text) const {
    std::vector<Element*> out;
    for (const auto& b : bands_) {
        for (const auto& e : b->elements()) {
            if (e->kind == ElementKind::Label && e->text == text) {
                out.push_back(e.get());
            }
        }
    }
    return out;
}

} // namespace reports::engine
