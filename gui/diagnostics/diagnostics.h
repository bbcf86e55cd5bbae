#pragma once
// The network diagnostics commands: interface details, unit identification
// and the MMI inquiries.

#include "core/diagnostics/installation.h"
#include "core/diagnostics/mmi_results.h"
#include "core/diagnostics/reply_fields.h"
#include "gui/diagnostics/mmi_results_form.h"
#include "session/session.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <optional>
#include <string>
#include <utility>

class QElapsedTimer;

namespace tarvin {

class Prompter;

class Diagnostics : public QObject
{
    Q_OBJECT
public:
    // Messages and questions go through `prompter`, over `window`, which
    // also parents the results window.
    Diagnostics(Session& session, Prompter& prompter, QWidget* window);

    // The application offered first by the Application and Level MMIs.
    void setApplicationSource(std::function<int()> selected)
    {
        m_selectedApplication = std::move(selected);
    }

    // Commands. Each runs as the session's one command, waiting with the
    // event loop running; while another runs they are off and do nothing.
    void PCIDataButtonClick();
    void IdentifyButtonClick();
    void IdentifyAllItemClick();
    void GetUnitVoltagesItemClick();
    void GetEEPROMDataItemClick();
    void InstallationMMIButtonClick();
    void ApplicationMMIButtonClick();
    void LevelMMIButtonClick();

    // Trimmed type / voltage text of a unit, empty when it does not answer.
    QString GetUnitType(int unit);
    QString GetUnitVoltage(int unit);
    // Fills the unit type table from an Installation MMI; false when it
    // could not run (another command is waiting, or the path was refused).
    // `missing` gets what the list lacks, in words (empty when complete).
    bool GetAllUnitTypes(std::string* missing = nullptr);
    // Sends an MMI request and collects the reports for up to 5 s, less
    // when the report for address 255 comes; false when it could not run.
    bool InitiateMMI(const QByteArray& command, int mode);

    const UnitTypeTable& unitTypeTable() const { return m_unitTypes; }
    const MMIResults& mmiResults() const { return m_session.mmi(); }
    const UnitDataImage& unitDataImage() const { return m_unitData; }
    // The open results window, if any.
    TMMIResultsForm* resultsForm() const { return m_results.data(); }

    // Every unit the unit lists have found, with what it last answered.
    const Installation& installation() const { return m_installation; }

signals:
    // A passing note for the status bar.
    void statusMessage(const QString& text);
    void helpRequested(int context);
    // Identify All Units or Get Unit Voltages has filled the installation.
    void installationListed();

private:
    Reply request(const QByteArray& command, const std::string& pattern, int seconds, int tries,
                  const QString& description);
    // A unit's type or voltage; the outcome says whether it answered.
    Reply unitReply(int unit, const char* body, const char* tail);
    QString unitReplyText(int unit, const char* body, const char* tail, bool voltage);
    // Asks every unit the Installation MMI found for its type or voltage;
    // empty texts for units that did not answer, `missing` says which.
    bool listUnits(Session::Command& command, bool voltage, UnitTypeTable& values,
                   std::string& missing);
    bool installationMMI();
    void initiateMMI(const QByteArray& command, int mode);
    void waitForLastIndex(int index, const QElapsedTimer& since);
    // The note of a results window: why reports are missing, or empty.
    QString mmiNote(const Session::Command& command) const;
    // A Level MMI's note also says which groups no report covered.
    QString levelNote(const Session::Command& command) const;
    // The application (none when negative) and the network an inquiry
    // asked, in words.
    QString inquirySubject(int application) const;
    void setMMIMode(int mode);
    std::optional<int> askUnit(const QString& title);
    std::optional<int> askApplication(const QString& title);
    // The application to inquire about and the inquiry's header; nothing
    // when the user cancelled or the remote path was refused.
    std::optional<std::pair<int, QByteArray>> applicationInquiry(const QString& title);
    void showResults(const QString& note = QString(), const QString& subject = QString());
    void showMessage(const std::string& text);

    Session& m_session;
    Prompter& m_prompter;
    QWidget* m_window;
    std::function<int()> m_selectedApplication;
    UnitTypeTable m_unitTypes;
    Installation m_installation;
    UnitDataImage m_unitData;
    QPointer<TMMIResultsForm> m_results;
};

} // namespace tarvin
