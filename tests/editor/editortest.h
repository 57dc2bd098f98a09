// The panel's model over the built plug-in library, with a host that
// records every gesture and tap it is handed.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <ostream>
#include <string>
#include <vector>

#include "editor/panelmodel.h"
#include "host/runtime/plugindescription.h"

struct RecordingHost : EditorHost {
    struct Event {
        char kind; // 'b'egin, 'c'hange, 'e'nd, 't'ap
        std::size_t index;
        double value;
        // Values alike to a billionth: a dial's steps are sums of fractions.
        bool operator==(const Event& other) const
        {
            return kind == other.kind && index == other.index &&
                   std::fabs(value - other.value) < 1e-9;
        }
    };
    std::vector<Event> events;

    void beginGesture(std::size_t index) override { events.push_back({'b', index, 0.0}); }
    void changeValue(std::size_t index, double value) override
    {
        events.push_back({'c', index, value});
    }
    void endGesture(std::size_t index) override { events.push_back({'e', index, 0.0}); }
    void tapButton(bool down) override { events.push_back({'t', 0, down ? 1.0 : 0.0}); }
};

inline void PrintTo(const RecordingHost::Event& e, std::ostream* out)
{
    *out << e.kind << "(" << e.index << ", " << e.value << ")";
}

// One library for the whole program: loading it is the slow part.
inline const ProductLibrary& TestProduct()
{
    static const ProductLibrary product(TAPEDELAY_PLUGIN_FILE);
    return product;
}

struct PanelTest : ::testing::Test {
    const ProductLibrary& product = TestProduct();
    RecordingHost host;
    PanelModel model{product, host};
    double clock = 100.0;

    std::size_t index(const char* code) const { return *product.description.find(code); }
    const ParameterInfo& parameter(const char* code) const
    {
        return product.description.parameters[index(code)];
    }

    // A press on a control's part, a second later than the last, so that
    // no two make a double-click unless a test means them to.
    void press(Control control, int part = 0, double y = 500.0)
    {
        clock += 1.0;
        model.press({control, part}, y, clock);
    }
    void click(Control control, int part = 0)
    {
        press(control, part);
        model.release();
    }
    // A drag on a dial: press, move up by pixels (down when negative), release.
    void dragDial(Control control, double pixels, bool shift = false)
    {
        press(control, Part::knob);
        model.drag(500.0 - pixels, shift);
        model.release();
    }
    // What the host heard, then forgotten.
    std::vector<RecordingHost::Event> heard()
    {
        std::vector<RecordingHost::Event> taken;
        taken.swap(host.events);
        return taken;
    }
    // One gesture with one change.
    static std::vector<RecordingHost::Event> gesture(std::size_t index, double value)
    {
        return {{'b', index, 0.0}, {'c', index, value}, {'e', index, 0.0}};
    }
};
