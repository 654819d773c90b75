#include "ui/tools/progress_dialog.h"
#include "ui/tools/tool_window.h"

#include <algorithm>

#include <QEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>

namespace dorvane::ui {

bool CancelRequested = false;

namespace {

constexpr int kClientWidth = 377;
constexpr int kClientHeight = 62;

QPointer<TFrmProgress>& Instance() {
    static QPointer<TFrmProgress> instance;
    return instance;
}

}  // namespace

TitleStrip::TitleStrip(QWidget* parent) : QWidget(parent) {}

void TitleStrip::SetText(const QString& text) {
    text_ = text;
    update();
}

void TitleStrip::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    painter.setPen(isActiveWindow() ? QColor(Qt::white) : QColor(162, 154, 130));
    painter.drawText(rect().adjusted(4, 0, -4, 0), Qt::AlignVCenter | Qt::AlignLeft, text_);
}

void TitleStrip::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange) update();
    QWidget::changeEvent(event);
}

// Without a system caption the strip is where the dialog can be dragged from.
void TitleStrip::mousePressEvent(QMouseEvent* event) {
    dragOffset_ = event->globalPosition().toPoint() - window()->frameGeometry().topLeft();
}

void TitleStrip::mouseMoveEvent(QMouseEvent* event) {
    if (event->buttons() & Qt::LeftButton) {
        window()->move(event->globalPosition().toPoint() - dragOffset_);
    }
}

TFrmProgress::TFrmProgress()
    : QWidget(nullptr, Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setFixedSize(kClientWidth, kClientHeight);
    setFont(ToolWindowFont());

    FlatTitlebar1 = new TitleStrip(this);
    FlatTitlebar1->setGeometry(0, 0, kClientWidth, 17);
    FlatTitlebar1->SetText(QStringLiteral("processing"));

    PBar1 = new QProgressBar(this);
    PBar1->setGeometry(0, 16, kClientWidth, 25);
    PBar1->setRange(0, 100);
    PBar1->setValue(0);
    PBar1->setTextVisible(false);

    pLabel1 = new QLabel(this);
    pLabel1->move(168, 24);
    pLabel1->setAttribute(Qt::WA_TranslucentBackground);
    pLabel1->raise();

    FlatButton1 = new QPushButton(QStringLiteral("Cancel"), this);
    FlatButton1->setGeometry(136, 42, 81, 18);
    FlatButton1->setFlat(true);
    connect(FlatButton1, &QPushButton::clicked, this, &TFrmProgress::FlatButton1Click);
}

void TFrmProgress::ShowOver(QWidget* owner) {
    if (owner != nullptr) PlaceCentredOver(this, owner);
    show();
    raise();
}

void TFrmProgress::SetBar(int position) {
    PBar1->setValue(std::clamp(position, 0, 100));
}
int TFrmProgress::Bar() const {
    return PBar1->value();
}
void TFrmProgress::SetTitle(const QString& text) {
    FlatTitlebar1->SetText(text);
}
QString TFrmProgress::Title() const {
    return FlatTitlebar1->Text();
}

void TFrmProgress::Finish() {
    SetBar(100);
    SetTitle(QStringLiteral("processing"));
    close();
}

void TFrmProgress::ShowCount(int bar, int done, int total) {
    SetBar(bar);
    SetLabel(QString::number(done) + QLatin1Char('/') + QString::number(total));
    RepaintLabelNow();
}

void TFrmProgress::SetLabel(const QString& text) {
    pLabel1->setText(text);
    pLabel1->adjustSize();
    emit LabelSet(text);
}

QString TFrmProgress::Label() const {
    return pLabel1->text();
}
void TFrmProgress::RepaintNow() {
    repaint();
}
void TFrmProgress::RepaintLabelNow() {
    pLabel1->repaint();
}

// Only the flag: the running operation decides where it looks and closes the dialog itself.
void TFrmProgress::FlatButton1Click() {
    CancelRequested = true;
}

TFrmProgress& FrmProgress() {
    auto& instance = Instance();
    if (instance.isNull()) instance = new TFrmProgress();
    return *instance;
}

void ReleaseFrmProgress() {
    auto& instance = Instance();
    delete instance.data();
    instance.clear();
}

}  // namespace dorvane::ui
