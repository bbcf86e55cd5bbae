#pragma once
// A capture as a table: a capture file (opened whole, then followed while it
// grows) or the live session's own lines. Filters combine; rows can be
// sorted, copied, exported, found by time, and analysed as the traffic
// analyser would have counted them.

#include "core/diagnostics/traffic_analyser.h"
#include "core/files/capture_format.h"
#include "core/files/capture_store.h"

#include <QFile>
#include <QMainWindow>

#include <functional>
#include <memory>
#include <optional>

class QAction;
class QCheckBox;
class QComboBox;
class QDialog;
class QLabel;
class QLineEdit;
class QTableView;
class QTimer;

namespace tarvin {

class CaptureModel;
class Prompter;
class Session;

class CaptureWindow : public QMainWindow
{
    Q_OBJECT
public:
    // Dialogs run through `runDialog` (tests replace it).
    CaptureWindow(Session& session, Prompter& prompter, std::function<int(QDialog&)> runDialog,
                  QWidget* parent = nullptr);
    ~CaptureWindow() override;

    // Reads a capture file; rows show as they are read. False, with the
    // user told why, when it cannot be opened.
    bool openFile(const QString& path);
    // Shows the live session's lines as they come.
    void showSession();

    bool loading() const { return m_loading; }
    const CaptureStore& store() const;
    CaptureModel& model() { return *m_model; }
    void setFollow(bool on);

    void applyFilter();
    void copySelection();
    // Writes the shown rows as a CSV capture; false when nothing was written.
    bool exportShown(const QString& path);
    void goToTime();
    void analyse();

    QLineEdit* FilterEdit = nullptr;
    QComboBox* DirectionCombo = nullptr;
    QLineEdit* ApplicationEdit = nullptr;
    QLineEdit* SourceEdit = nullptr;
    QCheckBox* ErrorsOnlyCheck = nullptr;
    QLabel* CountLabel = nullptr;
    QLabel* FollowingLabel = nullptr;
    QTableView* CaptureTable = nullptr;
    QAction* FollowAction = nullptr;
    QAction* ExportAction = nullptr;
    QAction* CopyAction = nullptr;
    QAction* GoToTimeAction = nullptr;
    QAction* AnalyseAction = nullptr;
    QAction* KeepLinesAction = nullptr;

signals:
    // The whole file has been read (following may go on).
    void loaded();

private:
    void useModel(const CaptureStore& store);
    void readSome();
    // Takes the store's new rows; a view that showed the last row keeps
    // showing it while the window follows.
    void refreshRows();
    bool following() const;
    void readLines(const QByteArray& bytes, bool atEnd);
    void addLine(std::string_view line);
    void poll();
    void updateCount();
    void keepLines();
    // A number typed in the session's base; -1 when empty, nothing when bad.
    std::optional<int> numberIn(const QLineEdit* edit);
    void showNumberBase(bool hexNumbers);

    Session& m_session;
    Prompter& m_prompter;
    std::function<int(QDialog&)> m_runDialog;
    CaptureStore m_fileStore;
    bool m_live = false;
    bool m_startAtEnd = false;
    CaptureModel* m_model = nullptr;

    // Reading a file.
    QString m_path;
    QFile m_file;
    qint64 m_offset = 0;
    QByteArray m_carry; // an unfinished last line
    std::optional<CaptureForm> m_form;
    CountingMode m_mode = CountingMode::AllMonitor;
    bool m_loading = false;
    bool m_gone = false;
    QTimer* m_pollTimer = nullptr;
    QTimer* m_filterTimer = nullptr;
};

} // namespace tarvin
