// Connects the entry fields, the constants frame and the limits frame to their handlers.
#include "ui/FocusGuard.h"
#include "ui/frmVantrel.h"

#include "engine/ScriptErrorReport.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>

namespace vantrel {

namespace {

// Typing then replaces the old text.
std::function<void()> SelectsAll(QLineEdit* field) {
    return [field] { field->selectAll(); };
}

// Takes Enter and keypad Enter for a handler of its own. An editable combo box keeps the focus
// itself (its text line is only its proxy) and passes keys to the line by a direct call, which
// no filter on the line sees; so the filter sits on the combo box.
class EnterFilter : public QObject {
public:
    EnterFilter(QObject* parent, std::function<void()> entered)
        : QObject(parent), entered_(std::move(entered)) {}

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) return false;
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key != Qt::Key_Return && key != Qt::Key_Enter) return false;
        entered_();
        return true;
    }

private:
    std::function<void()> entered_;
};

} // namespace

void frmVantrel::WireEntryHandlers() {
    ScriptControl1.SetErrorHandler(
        [this] { ScriptControl1_Error(ScriptControl1.Error(), ierr, MessageReporter()); });

    focusGuard().Watch(*txtOrder, {.Validate = [this](bool& Cancel) { txtOrder_Validate(Cancel); },
                                   .LostFocus = [this] { txtOrder_LostFocus(); },
                                   .GotFocus = SelectsAll(txtOrder)});
    focusGuard().Watch(*txtVarNams,
                       {.Validate = [this](bool& Cancel) { txtVarNams_Validate(Cancel); },
                        .LostFocus = [this] { txtVarNams_LostFocus(); },
                        .GotFocus = SelectsAll(txtVarNams)});
    focusGuard().Watch(*txtError, {.Validate = [this](bool& Cancel) { txtError_Validate(Cancel); },
                                   .LostFocus = [this] { txtError_LostFocus(); },
                                   .GotFocus = [this] { txtError_GotFocus(); }});
    focusGuard().Watch(*txtEquation,
                       {.Validate = [this](bool& Cancel) { txtEquation_Validate(Cancel); },
                        .GotFocus = SelectsAll(txtEquation)});
    focusGuard().Watch(*cboConstants, {.LostFocus = [this] { cboConstants_LostFocus(); }});
    for (int L = 0; L < static_cast<int>(txtUL.size()); ++L)
        WatchLevel(L);

    connect(txtEquation, &QLineEdit::textChanged, this, [this] { txtEquation_Change(); });

    // The text line is a plain entry line: no completion from the list, Enter adds.
    cboConstants->setCompleter(nullptr);
    connect(cboConstants->lineEdit(), &QLineEdit::textEdited, this, [this] {
        selectedConstant_ = -1;
        cboConstants_Change();
    });
    cboConstants->installEventFilter(
        new EnterFilter(cboConstants, [this] { cboConstants_KeyPress(13); }));
    connect(cboConstants, &QComboBox::activated, this,
            [this](int index) { selectedConstant_ = index; });
    connect(cmdAddCons, &QPushButton::clicked, this, [this] { cmdAddCons_Click(); });
    connect(cmdRemCons, &QPushButton::clicked, this, [this] { cmdRemCons_Click(); });

    connect(cmdNextLim, &QPushButton::clicked, this, [this] { cmdNextLim_Click(); });
    connect(cmdPrevLim, &QPushButton::clicked, this, [this] { cmdPrevLim_Click(); });

    connect(cmdIntegrate, &QPushButton::clicked, this, [this] { cmdIntegrate_Click(); });
}

void frmVantrel::WatchLevel(int L) {
    for (QLineEdit* field : {txtUL[L], txtLL[L], txtSubintervals[L]})
        focusGuard().Watch(*field, {.GotFocus = SelectsAll(field)});
}

} // namespace vantrel
