// The output list an open editor's flushes write into: gesture begins and
// ends and parameter values reach the gesture log, in the order sent; what
// is not a gesture, of another event space or too short for its type is
// taken and not logged.
#include <gtest/gtest.h>

#include <sstream>

#include "host/claphost/clapevents.h"

namespace {

constexpr clap_id kFeedback = 0x6662616b; // "fbak"
constexpr clap_id kMode = 0x6d6f6465;     // "mode"

clap_event_param_gesture_t Gesture(std::uint16_t type, clap_id id)
{
    clap_event_param_gesture_t event{};
    event.header = {sizeof event, 0, CLAP_CORE_EVENT_SPACE_ID, type, 0};
    event.param_id = id;
    return event;
}

clap_event_param_value_t Value(clap_id id, double value)
{
    clap_event_param_value_t event{};
    event.header = {sizeof event, 0, CLAP_CORE_EVENT_SPACE_ID, CLAP_EVENT_PARAM_VALUE, 0};
    event.param_id = id;
    event.value = value;
    return event;
}

TEST(ClapGestureEvents, GesturesAndValuesReachTheLogInOrder)
{
    std::ostringstream out;
    GestureLog log(out);
    const ClapGestureEvents events(log);
    const clap_output_events_t* list = events.list();
    const auto push = [&](const auto& event) { EXPECT_TRUE(list->try_push(list, &event.header)); };

    push(Gesture(CLAP_EVENT_PARAM_GESTURE_BEGIN, kFeedback));
    push(Value(kFeedback, 6.2));
    push(Value(kFeedback, 7.25));
    push(Gesture(CLAP_EVENT_PARAM_GESTURE_END, kFeedback));
    // Not logged: another space, a value too short for one, a transport,
    // no event at all.
    clap_event_param_value_t foreign = Value(kMode, 2);
    foreign.header.space_id = CLAP_CORE_EVENT_SPACE_ID + 1;
    push(foreign);
    clap_event_param_value_t shortValue = Value(kMode, 2);
    shortValue.header.size = sizeof(clap_event_header_t);
    push(shortValue);
    clap_event_transport_t transport{};
    transport.header = {sizeof transport, 0, CLAP_CORE_EVENT_SPACE_ID, CLAP_EVENT_TRANSPORT, 0};
    push(transport);
    EXPECT_TRUE(list->try_push(list, nullptr));
    push(Gesture(CLAP_EVENT_PARAM_GESTURE_BEGIN, kMode));
    push(Value(kMode, 2));
    push(Gesture(CLAP_EVENT_PARAM_GESTURE_END, kMode));

    EXPECT_EQ(out.str(), "begin fbak\nvalue fbak 6.2\nvalue fbak 7.25\nend fbak\n"
                         "begin mode\nvalue mode 2\nend mode\n");
}

} // namespace
