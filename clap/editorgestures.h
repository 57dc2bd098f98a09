// The editor's gestures as the CLAP plug-in takes them: queued for the
// audio thread (GestureQueue) with a flush asked of the host, so that they
// reach it and the sound even while the host processes nothing. The Tap
// button is a gesture on the Tap control: 1 on press, 0 on release.
//
// Threads: [main], the editor's own.
#pragma once

#include "editor/editorhost.h"
#include "gesturequeue.h"
#include "hostservices.h"
#include "parameters.h"

class EditorGestures final : public EditorHost {
public:
    EditorGestures(const ProductLibrary& product, const ClapParameters& parameters,
                   GestureQueue& queue, const HostServices& services);

    // A parameter the plug-in writes itself, an index past the plug-in's
    // parameters or a value that is no number is ignored; a value out of
    // range is taken at the nearer end.
    void beginGesture(std::size_t index) override;
    void changeValue(std::size_t index, double value) override;
    void endGesture(std::size_t index) override;
    void tapButton(bool down) override;

private:
    bool settable(std::size_t index) const;

    const ProductLibrary& product;
    const ClapParameters& parameters;
    GestureQueue& queue;
    const HostServices& services;
};
