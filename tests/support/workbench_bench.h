#pragma once
// The simulator, the main window connected to it over loopback TCP, and the
// scripted prompts. The handshake's own messages are kept in `handshake`
// and the prompt record starts empty.

#include "gui/app/main_form.h"
#include "scripted_prompter.h"
#include "sim_process.h"
#include "test_support.h"

#include <QAction>

#include <memory>

namespace tarvin::test {

struct WorkbenchBench
{
    SimProcess sim;
    ScriptedPrompter prompts;
    std::unique_ptr<TMainForm> form;
    QStringList handshake;
    int wireMark = 0;

    // Starts the simulator with `args`, gives it `controls`, and connects.
    bool start(const QStringList& args = {}, const QStringList& controls = {})
    {
        if (!sim.start(args))
            return false;
        for (const QString& c : controls)
            if (!sim.control(c))
                return false;
        StoreTcp(sim.tcpPort());
        form = std::make_unique<TMainForm>(QStringList{}, &prompts);
        form->show();
        form->ConnecttoPCIItem->trigger();
        // A machine loaded by other test programs can make the simulator miss
        // the 3 s answer time once; the connect tests judge that, not these.
        if (!form->state().connected)
            form->ConnecttoPCIItem->trigger();
        handshake = prompts.messages();
        prompts.asked.clear();
        markWire();
        return form->state().connected;
    }
    // Lines the program sent since the last mark.
    QStringList sentSinceMark() const { return NonEmpty(sim.receivedLines()).mid(wireMark); }
    void markWire() { wireMark = static_cast<int>(NonEmpty(sim.receivedLines()).size()); }
};

} // namespace tarvin::test
