// A CLAP plug-in's editor open in the host window, as a host opens one
// embedded: the gui extension asked for the platform's window API, the
// editor services attached, the gui created, the window sized to it, the
// host window set as its parent and shown; and on close hidden, destroyed
// and the services detached.
#pragma once

#include <clap/ext/gui.h>

#include <ostream>

#include "clapinstance.h"
#include "host/pluginhost/hostedplugin.h"

class ClapEditor final : public PluginEditor {
public:
    // [main] throws PluginFailure when the plug-in has no gui for the
    // platform's embedded window or refuses a step. Warnings (what it left
    // registered) go to `log`.
    ClapEditor(const ClapInstance& instance, ClapEditorServices& services, HostWindow& window,
               RunLoop& loop, std::ostream& log);
    ~ClapEditor() override;

private:
    // Undoes what the constructor did so far and throws.
    [[noreturn]] void fail(const char* what, bool created);

    const clap_plugin_t& plugin;
    ClapEditorServices& services;
    std::ostream& log;
    const clap_plugin_gui_t* gui = nullptr;
};
