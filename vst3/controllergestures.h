// The editor's gestures as VST3 edits: beginEdit, performEdit with the
// normalised value and endEdit through the host's component handler, the
// controller's own value set first so that it shows what the host records.
// The Tap button is a gesture on the Tap parameter: 1 on press, 0 on
// release.
//
// Threads: [ui], the editor's own, the controller's main thread.
#pragma once

#include <vector>

#include "editor/editorhost.h"

class TapeDelayController;

class ControllerGestures final : public EditorHost {
public:
    explicit ControllerGestures(TapeDelayController& controller);

    // A parameter the plug-in writes itself, an index past the plug-in's
    // parameters or a value that is no number is ignored; a value out of
    // range is taken at the nearer end.
    void beginGesture(std::size_t index) override;
    void changeValue(std::size_t index, double value) override;
    void endGesture(std::size_t index) override;
    void tapButton(bool down) override;

    // Whether the editor's gesture on a parameter is under way: the host's
    // echoes of it are not handed back to the editor.
    bool editing(std::size_t index) const { return index < open.size() && open[index]; }
    // Ends every gesture still under way (the view is closing).
    void endAll();

private:
    bool settable(std::size_t index) const;

    TapeDelayController& controller;
    std::vector<bool> open; // by host index
};
