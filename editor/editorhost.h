// What the panel asks of the plug-in format it is embedded in. A format's
// glue implements this and translates each call into its host's own: VST3
// beginEdit/performEdit/endEdit, CLAP gesture and value events, LV2 port
// writes with ui:touch.
//
// Threads: every call comes on the host's UI thread, from the editor's own
// event handling; none is made from the audio thread.
#pragma once

#include <cstddef>

class EditorHost {
public:
    // A user's gesture on one parameter, by host index (the plug-in's
    // description order), with plain values within its range: begin, one or
    // more changes, end. A click on a switch or a list is a gesture with one
    // change; a preset is one gesture per parameter it sets.
    virtual void beginGesture(std::size_t index) = 0;
    virtual void changeValue(std::size_t index, double value) = 0;
    virtual void endGesture(std::size_t index) = 0;
    // The Tap button pressed (true) and released (false).
    virtual void tapButton(bool down) = 0;

protected:
    ~EditorHost() = default;
};
