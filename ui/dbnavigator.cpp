#include "ui/dbnavigator.h"

#include "ui/dbedit.h"
#include "ui/qt_messages.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QToolButton>

namespace ui {

using store::DataSetState;

namespace {

struct ButtonLook {
    NavButton button;
    const char* glyph;
    const char* hint;
};

const ButtonLook kLooks[] = {
    {NavButton::First, "\u23EE", "Első rekord"},
    {NavButton::Prior, "\u25C0", "Előző rekord"},
    {NavButton::Next, "\u25B6", "Következő rekord"},
    {NavButton::Last, "\u23ED", "Utolsó rekord"},
    {NavButton::Insert, "+", "Rekord beszúrása"},
    {NavButton::Delete, "\u2212", "Rekord törlése"},
    {NavButton::Edit, "\u25B2", "Rekord szerkesztése"},
    {NavButton::Post, "\u2714", "Mentés"},
    {NavButton::Cancel, "\u2716", "Szerkesztés elvetése"},
    {NavButton::Refresh, "\u21BB", "Frissítés"},
};

} // namespace

DBNavigator::DBNavigator(QWidget* parent)
    : QWidget(parent), link_([this](DataLink::Change c) {
          if (c != DataLink::Change::ControlsDisabled) {
              updateButtons();
          }
      }) {
    auto* lay = new QHBoxLayout(this);
    lay->setContentsMargins(0, 0, 0, 0);
    lay->setSpacing(0);
    for (const auto& look : kLooks) {
        auto* b = new QToolButton(this);
        b->setText(QString::fromUtf8(look.glyph));
        b->setToolTip(QString::fromUtf8(look.hint));
        b->setFocusPolicy(Qt::NoFocus);
        b->setAutoRaise(false);
        b->setMinimumWidth(26);
        b->hide();
        lay->addWidget(b);
        const NavButton which = look.button;
        connect(b, &QToolButton::clicked, this, [this, which] { run(which); });
        buttons_[which] = b;
    }
    lay->addStretch(1);
    updateButtons();
}

DBNavigator::DBNavigator(std::vector<NavButton> buttons, QWidget* parent) : DBNavigator(parent) {
    setVisibleButtons(buttons);
}

DBNavigator::~DBNavigator() = default;

store::Messages& DBNavigator::messages() const {
    return messages_ ? *messages_ : defaultMessages();
}

void DBNavigator::setVisibleButtons(const std::vector<NavButton>& buttons) {
    shown_ = buttons;
    for (auto& [which, b] : buttons_) {
        b->setVisible(std::find(shown_.begin(), shown_.end(), which) != shown_.end());
    }
}

void DBNavigator::setDataSet(store::DataSet* ds) {
    link_.setDataSet(ds);
    updateButtons();
}

QToolButton* DBNavigator::button(NavButton b) const {
    return buttons_.at(b);
}

bool DBNavigator::isButtonEnabled(NavButton b) const {
    store::DataSet* ds = link_.dataSet();
    if (!ds || !ds->active()) {
        return false;
    }
    const DataSetState st = ds->state();
    const bool editing = st == DataSetState::Edit || st == DataSetState::Insert;
    const bool empty = ds->rowCount() == 0;
    switch (b) {
    case NavButton::First:
    case NavButton::Prior:
        return !empty && !ds->bof();
    case NavButton::Next:
    case NavButton::Last:
        return !empty && !ds->eof();
    case NavButton::Insert:
        return ds->canModify();
    case NavButton::Delete:
        return ds->canModify() && !empty;
    case NavButton::Edit:
        return ds->canModify() && !editing;
    case NavButton::Post:
    case NavButton::Cancel:
        return editing;
    case NavButton::Refresh:
        return true;
    }
    return false;
}

void DBNavigator::updateButtons() {
    for (auto& [which, b] : buttons_) {
        b->setEnabled(isButtonEnabled(which));
    }
}

bool DBNavigator::run(NavButton b) {
    store::DataSet* ds = link_.dataSet();
    if (!isButtonEnabled(b)) {
        return false;
    }
    // a bound edit holding a typed text writes it before the record moves or is posted
    if (auto* edit = qobject_cast<DBEdit*>(QApplication::focusWidget())) {
        if (edit->dataSet() == ds && b != NavButton::Cancel && !edit->writeBack()) {
            return false;
        }
    }
    if (b == NavButton::Delete && !deleteQuestion_.empty() && !messages().yesNo(deleteQuestion_)) {
        return false;
    }
    const bool ok = store::guarded(messages(), [&] {
        switch (b) {
        case NavButton::First:
            ds->first();
            break;
        case NavButton::Prior:
            ds->prior();
            break;
        case NavButton::Next:
            ds->next();
            break;
        case NavButton::Last:
            ds->last();
            break;
        case NavButton::Insert:
            ds->insert();
            break;
        case NavButton::Delete:
            ds->deleteRecord();
            break;
        case NavButton::Edit:
            ds->edit();
            break;
        case NavButton::Post:
            ds->post();
            break;
        case NavButton::Cancel:
            ds->cancel();
            break;
        case NavButton::Refresh:
            ds->refresh();
            break;
        }
    });
    updateButtons();
    if (ok) {
        emit clicked(b);
    }
    return ok;
}

} // namespace ui
