// The window's fixed layout: every control at its place, in twips, drawn smaller where the
// screen is too small for it.
#include "app/form1.h"

#include "app/joblist.h"
#include "app/layout.h"
#include "app/look.h"

#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSlider>
#include <QTreeView>
#include <QWindow>
#include <algorithm>
#include <cmath>

using layout::Place;

namespace {

// The client area of the design, in twips.
constexpr int ClientWidth = 8040, ClientHeight = 8100;
// A frame of the usual size: a title bar and thin borders.
constexpr QMargins AssumedFrame(4, 38, 4, 4);

const QString ListTip = QStringLiteral(
    "Drag and drop files here. Double-click item to remove it. Move | line to right and out of "
    "window to reveal full names.");

QPushButton* MakeButton(QWidget* parent, const QString& caption) {
    auto* button = new QPushButton(caption, parent);
    layout::SetFont(button, QStringLiteral("Arial"), 11.25, true);
    QPalette palette = button->palette();
    palette.setColor(QPalette::Button, Qt::white);
    button->setPalette(palette);
    button->setAutoDefault(false);
    return button;
}

QGroupBox* MakeFrame(QWidget* parent, const QString& caption) {
    auto* frame = new QGroupBox(caption, parent);
    frame->setFlat(false);
    return frame;
}

} // namespace

void Form1::buildLayout() {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Form1"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    layout::SetClientSize(this, ClientWidth, ClientHeight);
    layout::SetFont(this, QStringLiteral("Arial"), 9, true);
    setPalette(look::DesignPalette()); // the white of the design, whatever the desktop's theme
    setAutoFillBackground(true);

    PushButton5 = MakeButton(this, QStringLiteral("Help"));
    Place(PushButton5, 120, 120, 7800, 405);
    buildQualityPanel();
    buildJobList();
    buildButtonsAndBar();
    buildSaveOptions();
    finishLayout();
    // After the controls: a menu is a window of its own, with none of their event routing.
    buildResolutionMenu();
}

void Form1::buildQualityPanel() {
    Frame3 = MakeFrame(this, QStringLiteral("PDF Quality"));
    Place(Frame3, 120, 4230, 7800, 855);
    Slider1 = new QSlider(Qt::Horizontal, Frame3);
    Place(Slider1, 540, 300, 6555, 315);
    Slider1->setRange(0, 100);
    Slider1->setSingleStep(1);
    Slider1->setPageStep(5);
    Slider1->setTickPosition(QSlider::TicksBelow);
    Slider1->setTickInterval(1);
    Label2 = new QLabel(QStringLiteral("Min."), Frame3);
    Place(Label2, 150, 360, 375, 195);
    Label3 = new QLabel(QStringLiteral("Max."), Frame3);
    Place(Label3, 7170, 345, 405, 225);
}

void Form1::buildJobList() {
    jobList = new JobListModel(this);
    ListView1 = new QTreeView(this);
    Place(ListView1, 120, 630, 7800, 2535);
    ListView1->setModel(jobList);
    ListView1->setRootIsDecorated(false);
    ListView1->setUniformRowHeights(true);
    ListView1->setItemsExpandable(false);
    ListView1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView1->setDragEnabled(false);
    ListView1->setTextElideMode(Qt::ElideNone);
    ListView1->header()->setStretchLastSection(false);
    ListView1->header()->setSectionsMovable(false);
    layout::SetFont(ListView1, QStringLiteral("Arial"), 9, true);
    ListView1->setToolTip(ListTip);
    ListView1->setAcceptDrops(true);
    ListView1->viewport()->setAcceptDrops(true);
    ListView1->header()->viewport()->setAcceptDrops(true);
}

void Form1::buildButtonsAndBar() {
    Creator = new QLabel(this);
    Place(Creator, 120, 8190, 495, 405);
    layout::SetFont(Creator, QStringLiteral("MS Sans Serif"), 8.25, false);

    ProgressBar1 = new QProgressBar(this);
    Place(ProgressBar1, 120, 7590, 7800, 405);
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(true);
    ProgressBar1->setAlignment(Qt::AlignCenter);
    showBarText(QStringLiteral("Progress Bar"));

    PushButton1 = MakeButton(this, QStringLiteral("Add EPS File(s)"));
    Place(PushButton1, 120, 3250, 3840, 405);
    PushButton3 = MakeButton(this, QStringLiteral("Add All EPS File(s) In Folder"));
    Place(PushButton3, 4080, 3250, 3840, 405);
    PushButton6 = MakeButton(this, QStringLiteral("Clear List"));
    Place(PushButton6, 120, 3760, 3840, 405);
    PushButton7 = MakeButton(this, QStringLiteral("Load Sample/Example Files"));
    Place(PushButton7, 4080, 3760, 3840, 405);
    PushButton2 = MakeButton(this, QStringLiteral("Start Converting To PDF"));
    Place(PushButton2, 120, 7070, 7800, 405);
}

void Form1::buildSaveOptions() {
    Frame2 = MakeFrame(this, QStringLiteral("Save Option"));
    Place(Frame2, 120, 5130, 7800, 1815);
    Option2 = new QRadioButton(QStringLiteral("Save results in folder of original file"), Frame2);
    Place(Option2, 240, 1410, 3615, 255);
    Option1 = new QRadioButton(QStringLiteral("Save results to this folder:"), Frame2);
    Place(Option1, 240, 300, 3615, 255);
    Option1->setChecked(true);
    Frame4 = MakeFrame(Frame2, QString());
    Place(Frame4, 480, 510, 6840, 810);
    Text1 = new QLineEdit(Frame4);
    Text1->setAccessibleName(Option1->text()); // the folder box is that option's folder
    Place(Text1, 240, 300, 5670, 345);
    PushButton4 = MakeButton(Frame4, QStringLiteral("..."));
    Place(PushButton4, 6000, 300, 600, 345);
}

void Form1::finishLayout() {
    // Tab order as laid out: the job list first, so it has the focus when the window opens.
    QWidget* order[] = {ListView1, PushButton1, PushButton3, PushButton6, PushButton7, PushButton2,
                        Slider1,   PushButton5, Text1,       PushButton4, Option1,     Option2};
    for (size_t i = 0; i + 1 < std::size(order); ++i)
        setTabOrder(order[i], order[i + 1]);
    ListView1->setFocus();

    // Hover feedback needs every pointer move, not only those with a button held.
    setMouseTracking(true);
    for (QWidget* w : findChildren<QWidget*>()) {
        w->setMouseTracking(true);
        w->installEventFilter(this);
    }
    fitToScreen(true);
}

void Form1::fitToScreen(bool centre) {
    const QScreen* screen = this->screen();
    if (!screen)
        return;
    // The window system tells the frame once the window is shown; until then a title bar and
    // borders of the usual size are reckoned with.
    QMargins frame = windowHandle() ? windowHandle()->frameMargins() : QMargins();
    if (frame.isNull())
        frame = AssumedFrame;
    const QRect available = screen->availableGeometry();
    const double scale = layout::FitScale(QSize(layout::Px(ClientWidth), layout::Px(ClientHeight)),
                                          frame, available);
    // A window drawn at another size keeps its middle where it was, as far as it can.
    const QPoint middle =
        centre ? available.center() : QRect(pos(), size().grownBy(frame)).center();
    if (scale != layoutScale) {
        QHeaderView* header = ListView1->header();
        if (header->count() > 0) // the column keeps its share of the list, as the user left it
            header->resizeSection(
                0, static_cast<int>(std::lround(header->sectionSize(0) * scale / layoutScale)));
        layoutScale = scale;
        layout::Scale(this, scale);
        centre = true;
    }
    if (!centre)
        return;
    QRect placed(QPoint(), size().grownBy(frame));
    placed.moveCenter(middle);
    // Whole on the screen where it fits, the title bar first where it does not.
    placed.moveRight(std::min(placed.right(), available.right()));
    placed.moveBottom(std::min(placed.bottom(), available.bottom()));
    placed.moveLeft(std::max(placed.left(), available.left()));
    placed.moveTop(std::max(placed.top(), available.top()));
    move(placed.topLeft());
}

void Form1::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    fitToScreen(false);
}

// The window system moves a window when it frames it, and when it goes to another screen.
void Form1::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    fitToScreen(false);
}
