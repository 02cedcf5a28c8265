#pragma once

#include "app/services.h"
#include "platform/skinframework.h"

#include <QCursor>
#include <QModelIndex>
#include <QPersistentModelIndex>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <optional>

class QDropEvent;
class QGroupBox;
class QKeyEvent;
class QLabel;
class QMimeData;
class QLineEdit;
class QMenu;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QSlider;
class QTreeView;
class JobListModel;

namespace errorreport {
class Guarded;
}

namespace intake {
struct Window;
}

namespace run {
class Conversion;
struct JobSource;
} // namespace run

namespace testing {
struct Controls;
}

// The main window. It owns the controls under their layout names and holds the handlers; the
// work behind the handlers lives in plain functions of app/, intake/, convert/ and help/.
class Form1 final : public QWidget {
    Q_OBJECT
public:
    // Creating the window builds the fixed layout and runs the start-up sequence once.
    explicit Form1(app::Services services, QWidget* parent = nullptr);
    ~Form1() override;

    // The window pointer: the busy pointer (hourglass) doubles as the "busy" flag.
    enum class Pointer { Default, Custom, Hourglass };
    Pointer pointer() const { return currentPointer; }
    void setPointer(Pointer value);
    bool isBusy() const { return currentPointer == Pointer::Hourglass; }
    bool hasCustomPointerImage() const { return handCursor.has_value(); }

    // Job list, addressed 1-based as the procedures speak of it.
    void AddToList(const QString& path);
    bool IsInList(const QString& path) const;
    int ItemCount() const;
    QString ItemText(int index) const;

    // Handlers.
    void Form_Load();
    void Form_Unload();
    void Option1_Click();
    void Option2_Click();
    void Text1_Change();
    void Slider1_Change();
    // The right mouse button or the menu key on the quality slider or its frame: the menu of
    // resolutions at that point of the screen.
    void Slider1_ContextMenu(const QPoint& globalPosition);
    // A resolution chosen in that menu, or named on the command line: kept at once.
    void ResolutionMenu_Click(int resolution);
    void PushButton1_Click();
    void PushButton2_Click();
    void PushButton3_Click();
    void PushButton4_Click();
    void PushButton5_Click();
    void PushButton6_Click();
    void PushButton7_Click();
    // Escape during a run: asks whether to stop after the current file.
    void Form_EscapePressed();
    // Dropping files from a file manager: only data with local files can be dropped. The drop
    // takes the paths at once and adds them once its event is over.
    bool ListView1_DragOver(const QMimeData& dragged);
    void ListView1_Drop(const QMimeData& dropped);
    void ListView1_RemoveSelected();
    void ListView1_MouseDown();
    void ListView1_ItemClick(const QModelIndex& item);
    void ListView1_MouseMove(const QPoint& listPosition, int screenY, bool buttonHeld);
    void ListView1_MouseUp();

    // Files and folders named on the command line, or handed over by a later start: files are
    // appended as named, folders scanned as "Add All" scans them. `leftOut` names files of the
    // command line that exist but cannot be listed, as their names are not valid UTF-8: they are
    // told in the same one message as the paths not found.
    void OpenFiles(const QStringList& paths, const QStringList& leftOut = {});
    // Shows the window in front of the others, restored when it was minimised.
    void ShowInFront();

signals:
    // A run has been made and is about to start; it lives until the press that made it ends.
    void conversionStarted(run::Conversion* conversion);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

private:
    // Tests reach the controls they drive, and the state they check, through this.
    friend struct testing::Controls;

    // The controls, by their layout names.
    QPushButton* PushButton1 = nullptr; // "Add EPS File(s)"
    QPushButton* PushButton2 = nullptr; // "Start Converting To PDF"
    QPushButton* PushButton3 = nullptr; // "Add All EPS File(s) In Folder"
    QPushButton* PushButton4 = nullptr; // "..."
    QPushButton* PushButton5 = nullptr; // "Help"
    QPushButton* PushButton6 = nullptr; // "Clear List"
    QPushButton* PushButton7 = nullptr; // "Load Sample/Example Files"
    QTreeView* ListView1 = nullptr;
    QGroupBox* Frame2 = nullptr; // "Save Option"
    QGroupBox* Frame3 = nullptr; // "PDF Quality: n%"
    QGroupBox* Frame4 = nullptr; // the panel with the folder box and "..."
    QSlider* Slider1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QRadioButton* Option1 = nullptr;
    QRadioButton* Option2 = nullptr;
    QLineEdit* Text1 = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    QLabel* Creator = nullptr;
    // The resolutions the pictures can be drawn at, the current one checked.
    QMenu* ResolutionMenu = nullptr;
    platform::SkinFramework SkinFramework1;

    // The run's "a conversion is in progress" flag: from a press that starts a run until its
    // closing message is dismissed.
    bool Converting = false;
    // How long Ghostscript may work on one file before it is ended, and how much memory it
    // may take.
    int ghostscriptTimeLimitMs;
    qint64 ghostscriptMemoryLimitBytes;
    // The resolution the run has Ghostscript draw at, in dots per inch.
    int Resolution;

    // The caption of the message boxes that name none of their own.
    QString applicationTitle;

    void buildLayout();
    void buildQualityPanel();
    void buildJobList();
    void buildButtonsAndBar();
    void buildSaveOptions();
    void finishLayout();
    void buildResolutionMenu();
    // Draws the window at the design's size where it fits the available area of its screen with
    // its frame, and as much smaller as it must otherwise; with `centre`, centres it there.
    void fitToScreen(bool centre);
    void connectHandlers();
    void ApplySkin();
    // The steps of start-up that restore the user's choices from the settings store.
    void restoreChoices(errorreport::Guarded& g);
    void OpenHomePageAtRandom();
    void SetApplicationTitle();
    // What the run reads of the window, and the window's following of the run.
    run::JobSource jobSource();
    void followRun(run::Conversion& conversion);
    // Shows a message box of the run once the boxes before it are dismissed, from the event loop.
    void showInTurn(const std::function<void()>& box);
    void showItem(int index, int count, const QString& source);
    // The end of a run, told to the desktop: the progress taken off the program's entry, and
    // `inOneLine` as a notification when the window is not the active one.
    void tellDesktop(const QString& inOneLine);
    void setOption(QRadioButton* option, bool selected);
    // The quality frame's caption: "PDF Quality: " and the slider value with "%".
    void showQuality();
    // The current resolution checked in its menu, and told in the slider's tool tip and to
    // screen readers.
    void showResolution();
    // Stores a setting for a handler that has no error report of its own: a failure is told
    // to the user once (until a write succeeds again) instead of on every keystroke.
    void storeSetting(const QString& key, const QString& value);
    void hover(QWidget* widget, const QPoint& position);
    // The keys the window handles wherever the focus is: Escape during a run asks whether to
    // stop, Return and Enter press the focused push button as Space does, Delete in the job
    // list removes its selected row. True when the key was handled.
    bool keyPressed(QWidget* widget, const QKeyEvent& key);
    // The progress bar's text line, shown as it is and given to screen readers as its name.
    void showBarText(const QString& text);
    // A drag entering, moving over or dropped on the job list.
    void listDragAndDrop(QDropEvent& event);
    // What the ways into the job list use of the window, made afresh for each of them.
    intake::Window intakeWindow();
    // Scrolls the job list, when it held `countBefore` rows and more were added since, so that
    // the first of them is seen.
    void showAddedRows(int countBefore);
    // Shows a message box once the current event is over and no mouse button is held, so
    // that the control that caused it still sees its button released.
    void showWhenIdle(const QString& text);
    bool listLocked() const;

    app::Services services;
    JobListModel* jobList = nullptr;
    // How large the layout is drawn, 1 being the design's size.
    double layoutScale = 1.0;
    Pointer currentPointer = Pointer::Default;
    std::optional<QCursor> handCursor;
    bool settingsFailureShown = false;
    // The run in progress, while there is one.
    run::Conversion* activeRun = nullptr;
    // The run's message boxes waiting for their turn, and whether one is being shown.
    QList<std::function<void()>> pendingBoxes;
    bool showingBox = false;

    // Reordering rows by dragging them inside the list.
    bool IsDragging = false;
    QPersistentModelIndex DraggedItem;
};
