-- ardour7-lua ardour-render.lua IN.wav OUT.wav PLUGIN_URI NEW_SESSION_DIR [TAIL_S] [KEY=VAL ...]
-- Renders a mono WAV through the plug-in on a new session, headless, and
-- copies the bounce (32-bit float) to OUT.wav. KEY: a control's number (an
-- LV2 port's index, a VST3 parameter's place) or name; @bpm=N sets the
-- session tempo; @preset=LABEL loads a preset;
-- @wait=S lets the plug-in run S seconds; @bounce=PATH bounces there now;
-- @reopen saves the session, closes and reopens it; @type=VST3 takes
-- PLUGIN_URI as the name of a VST3 in $HOME/.vst3 (scanned beforehand), whose
-- controls take plain values as well.
local IN, OUT, URI, DIR = arg[1], arg[2], arg[3], arg[4]
local TAIL = tonumber(arg[5] or "1")
local function sh(c) assert(os.execute(c), "failed: " .. c) end
local function cap(c) local f = io.popen(c); local s = f:read("*a"); f:close(); return s end
local kind = ARDOUR.PluginType.LV2
for i = 6, #arg do
  if arg[i] == "@type=VST3" then kind = ARDOUR.PluginType.VST3 end
end
-- Ardour lists the VST3s of its scan cache found on this path.
if kind == ARDOUR.PluginType.VST3 then
  ARDOUR.config():set_plugin_path_vst3(os.getenv("HOME") .. "/.vst3")
end
local rate = tonumber(cap("soxi -r '" .. IN .. "'"))
local secs = tonumber(cap("soxi -D '" .. IN .. "'")) + TAIL
-- 1. A session on the Dummy backend with one mono track and a take of the
-- right length, recorded in real time (Lua has no import).
local s = assert(create_session(DIR, "render", rate), "create_session failed")
local tr = s:new_audio_track(1, 1, nil, 1, "In", ARDOUR.PresentationInfo.max_order,
                             ARDOUR.TrackMode.Normal, true, false):front()
tr:rec_enable_control():set_value(1, PBD.GroupControlDisposition.NoGroup)
s:maybe_enable_record(false)
s:request_roll(ARDOUR.TransportRequestSource.TRS_UI)
sleep(secs + 1)
s:request_stop(false, false, ARDOUR.TransportRequestSource.TRS_UI)
sleep(0.5)
s:disable_record(false, false)
local region
for r in tr:playlist():region_list():iter() do region = r end
local take, len = region:source(0):to_filesource():path(), region:length():samples()
s:save_state("", false, false, false, false, false)
close_session()
-- 2. The take becomes the input, padded to its length.
sh(string.format("sox -V1 '%s' -r %d -c 1 -e floating-point -b 32 -t wav '%s.tmp' pad 0 %ds trim 0 %ds && mv '%s.tmp' '%s'",
                 IN, rate, take, len, len, take, take))
-- 3. Reopened: no region fades, disarmed, the plug-in inserted and set.
s = assert(load_session(DIR, "render"), "load_session failed")
tr = s:route_by_name("In"):to_track()
for r in tr:playlist():region_list():iter() do region = r end
region:to_audioregion():set_fade_in_active(false)
region:to_audioregion():set_fade_out_active(false)
tr:rec_enable_control():set_value(0, PBD.GroupControlDisposition.NoGroup)
sleep(0.5)
assert(tr:rec_enable_control():get_value() == 0, "track still armed")
local p, plug
-- An offline bounce of the region through the plug-in, copied as it is.
local function bounce(path)
  local r = tr:bounce_range(region:position():samples(), region:position():samples() + len,
                            ARDOUR.InterThreadInfo(), p, true, "bounce")
  assert(not r:isnil(), "bounce failed")
  sh(string.format("cp '%s' '%s'", r:source(0):to_filesource():path(), path))
end
p = ARDOUR.LuaAPI.new_plugin(s, URI, kind, "")
assert(not p:isnil(), "plug-in missing or instantiate() failed: " .. URI)
assert(tr:add_processor_by_index(p, 0, nil, true) == 0, "add_processor failed")
plug = p:to_insert():plugin(0)
for i = 6, #arg do
  local key, val = arg[i]:match("^(.-)=(.*)$")
  local done = false
  if key == "@type" then
    done = true
  elseif key == "@bounce" then
    bounce(val)
    done = true
  elseif key == "@wait" then
    sleep(tonumber(val))
    done = true
  elseif arg[i] == "@reopen" then
    s:save_state("", false, false, false, false, false)
    -- Nothing of the closed session may stay referenced.
    plug, p, tr, region = nil, nil, nil, nil
    collectgarbage()
    close_session()
    s = assert(load_session(DIR, "render"), "reopening failed")
    tr = s:route_by_name("In"):to_track()
    for r in tr:playlist():region_list():iter() do region = r end
    p = tr:nth_plugin(0)
    assert(not p:isnil(), "the plug-in is gone after reopening")
    plug = p:to_insert():plugin(0)
    sleep(0.5)
    done = true
  elseif key == "@bpm" then
    local tm = Temporal.TempoMap.fetch_writable()
    tm:set_tempo(Temporal.Tempo(tonumber(val), tonumber(val), 4), Temporal.timepos_t(0))
    Temporal.TempoMap.update(tm)
    done = true
  elseif key == "@preset" then
    local preset = plug:preset_by_label(val)
    assert(preset, "no preset " .. val)
    done = plug:load_preset(preset)
  else
    -- By the plug-in's own parameter number: counting control inputs
    -- (set_processor_param) misses those after a VST3's bypass.
    for j = 0, plug:parameter_count() - 1 do
      if plug:parameter_is_control(j) and plug:parameter_is_input(j) and
         (tostring(j) == key or plug:parameter_label(j) == key) then
        local c = p:to_automatable():automation_control(
          Evoral.Parameter(ARDOUR.AutomationType.PluginAutomation, 0, j), false)
        assert(not c:isnil(), "no control for " .. key)
        c:set_value(tonumber(val), PBD.GroupControlDisposition.NoGroup)
        done = true
      end
    end
  end
  assert(done, "cannot set " .. arg[i])
end
-- 4. The bounce.
bounce(OUT)
s:save_state("", false, false, false, false, false)
close_session()
