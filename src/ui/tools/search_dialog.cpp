#include "ui/tools/search_dialog.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QDateTime>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QStyle>

#include "store/store_paths.h"
#include "ui/main/main_window.h"
#include "ui/main/message_list_view.h"
#include "ui/main/shown_text.h"
#include "ui/tools/progress_dialog.h"
#include "ui/tools/tool_window.h"
#include "ui/tools/user_interaction.h"

namespace dorvane::ui {

namespace {

constexpr int kClientWidth = 448;
constexpr int kClientHeight = 173;
const QDate kInitialDate(2004, 8, 22);

QPointer<TFormSearch>& Instance() {
    static QPointer<TFormSearch> instance;
    return instance;
}

// The typed text as the bytes the mail fields hold, the inverse of how the list shows
// them, so a criterion compares byte for byte with what the user sees.
std::string CriterionBytes(const QString& text) {
#ifdef _WIN32
    return text.toLocal8Bit().toStdString();
#else
    return text.toLatin1().toStdString();
#endif
}

// The start of the chosen day: the pickers edit a date only, so the bound is always 00:00.
LocalDateTime StartOfDay(const QDate& date) {
    return {date.year(), date.month(), date.day(), 0, 0, 0, 0};
}

QLineEdit* MakeFlatEdit(QWidget* parent, const char* name, int top) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(name));
    edit->setGeometry(48, top, 313, 17);
    // A one-pixel line instead of the sunken frame, which leaves no room for text at 17 pixels.
    edit->setFrame(false);
    edit->setStyleSheet(QStringLiteral("QLineEdit { border: 1px solid gray; padding: 0; }"));
    return edit;
}

QPushButton* MakeFlatButton(QWidget* parent, const char* name, const QString& caption,
                            const QRect& place) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setGeometry(place);
    button->setFlat(true);
    return button;
}

void MakeFixedLabel(QWidget* parent, const QString& text, int top) {
    auto* label = new QLabel(text, parent);
    label->move(8, top);
    label->adjustSize();
}

}  // namespace

TFormSearch::TFormSearch(TForm1& form)
    : QWidget(&form, Qt::Dialog | Qt::FramelessWindowHint), form_(&form) {
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(kClientWidth, kClientHeight);
    setFont(ToolWindowFont());

    // Created in tab order; the labels take no focus.
    FlatTitlebar1 = new TitleStrip(this);
    FlatTitlebar1->setObjectName(QStringLiteral("FlatTitlebar1"));
    FlatTitlebar1->setGeometry(0, 0, 449, 17);
    FlatTitlebar1->SetText(QStringLiteral("Find Message"));

    FlatButton1 =
        MakeFlatButton(FlatTitlebar1, "FlatButton1", QString(), QRect(449 - 25, 0, 25, 17));
    FlatButton1->setIcon(style()->standardIcon(QStyle::SP_TitleBarCloseButton));
    FlatButton1->setToolTip(QStringLiteral("Close"));

    EditFrom = MakeFlatEdit(this, "EditFrom", 48);
    Editto = MakeFlatEdit(this, "Editto", 72);
    Editsubject = MakeFlatEdit(this, "Editsubject", 96);
    timebefore = MakeDatePicker("timebefore", 120);
    timeafter = MakeDatePicker("timeafter", 144);

    checkbefore = new QCheckBox(this);
    checkbefore->setObjectName(QStringLiteral("checkbefore"));
    checkbefore->setGeometry(96, 120, 17, 17);
    checkafter = new QCheckBox(this);
    checkafter->setObjectName(QStringLiteral("checkafter"));
    checkafter->setGeometry(96, 144, 17, 17);

    FlatButton2 =
        MakeFlatButton(this, "FlatButton2", QStringLiteral("Find Now"), QRect(376, 40, 57, 33));
    FlatButton3 =
        MakeFlatButton(this, "FlatButton3", QStringLiteral("Cancel"), QRect(376, 96, 57, 33));

    MakeFixedLabel(this, QStringLiteral("From:"), 48);
    MakeFixedLabel(this, QStringLiteral("To:"), 72);
    MakeFixedLabel(this, QStringLiteral("Subject"), 96);
    MakeFixedLabel(this, QStringLiteral("Received before:"), 120);
    MakeFixedLabel(this, QStringLiteral("Received after:"), 144);

    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->move(152, 16);
    QFont bold = Label1->font();
    bold.setBold(true);
    Label1->setFont(bold);

    connect(FlatButton1, &QPushButton::clicked, this, &QWidget::close);
    connect(FlatButton3, &QPushButton::clicked, this, &QWidget::close);
    connect(FlatButton2, &QPushButton::clicked, this, &TFormSearch::FlatButton2Click);
    connect(checkbefore, &QCheckBox::toggled, this, &TFormSearch::Ontime);
    connect(checkafter, &QCheckBox::toggled, this, &TFormSearch::Ontime);

    FormCreate();
}

QDateEdit* TFormSearch::MakeDatePicker(const char* name, int top) {
    auto* picker = new QDateEdit(this);
    // Local time, so the value is the start of the chosen day where the user is.
    picker->setTimeSpec(Qt::LocalTime);
    picker->setDateTime(QDateTime(kInitialDate, QTime(0, 0)));
    picker->setObjectName(QLatin1String(name));
    picker->setGeometry(112, top, 169, 17);
    picker->setDisplayFormat(QLocale().dateFormat(QLocale::ShortFormat));
    picker->setCalendarPopup(true);
    return picker;
}

// Label1 names the file browsed when the dialog opened and is not updated afterwards.
void TFormSearch::FormCreate() {
    timebefore->setEnabled(false);
    timeafter->setEnabled(false);
    Label1->setText(PathQString(FileNamePart(form_->State().CurrentMailFile)));
    Label1->adjustSize();
}

void TFormSearch::Ontime() {
    timebefore->setEnabled(checkbefore->isChecked());
    timeafter->setEnabled(checkafter->isChecked());
}

SearchCriteria TFormSearch::Criteria() const {
    SearchCriteria criteria;
    criteria.From = CriterionBytes(EditFrom->text());
    criteria.To = CriterionBytes(Editto->text());
    criteria.Subject = CriterionBytes(Editsubject->text());
    if (checkbefore->isChecked()) criteria.Before = StartOfDay(timebefore->date());
    if (checkafter->isChecked()) criteria.After = StartOfDay(timeafter->date());
    return criteria;
}

void TFormSearch::FlatButton2Click() {
    // While a command holds the main window (a load or an export that lets events run),
    // the list must not change under it.
    if (form_.isNull() || !form_->isEnabled()) return;
    const SearchCriteria criteria = TrimmedCriteria(Criteria());
    MessageList& list = form_->State().MessageList;
    if (!HasAnyCriterion(criteria) || list.empty()) return;

    form_->RichEdit1().clear();
    form_->SetListRowCount(0);
    ApplySearch(list, criteria);
    form_->SetListRowCount(static_cast<int>(list.size()));
}

void ShowSearch(TForm1& form) {
    if (form.ListMail()->model()->rowCount() == 0) {
        form.Interaction().ShowNotice(
            &form, QStringLiteral("The Choosed mailbox does not has any email for search!"));
        return;
    }
    QPointer<TFormSearch>& instance = Instance();
    if (instance.isNull()) {
        instance = new TFormSearch(form);
        PlaceCentredOver(instance, &form);
    }
    instance->show();
    instance->raise();
    instance->activateWindow();
}

TFormSearch* FormSearch() {
    return Instance().data();
}

}  // namespace dorvane::ui
