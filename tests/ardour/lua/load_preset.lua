-- Creates a session with one stereo track and Twist Delay inserted on it,
-- prints every name of a list (one a line) that Ardour offers as a preset of
-- the plug-in ("preset <label>"), loads
-- the one with the given label as Ardour's preset menu does, lets the engine
-- run, and saves the session, whose plug-in state then shows what the
-- preset set.
--
-- Arguments: session folder, session name, sample rate, format (VST3 or LV2),
-- plug-in name or URI, label of the preset to load, the names to look for, one a line.

local folder, name, rate, format, plugin, wanted, names = arg[1], arg[2], tonumber (arg[3]), arg[4], arg[5], arg[6], arg[7]
assert (folder and name and rate and format and plugin and wanted and names,
        "usage: load_preset.lua folder name rate format plugin label names")

local session = create_session (folder, name, rate)
assert (session, "could not create the session")

-- Every reference to a session object lives inside this function, so none
-- outlives the session (see create_session.lua).
local function run ()
    local tracks = session:new_audio_track (2, 2, nil, 1, "Presets", ARDOUR.PresentationInfo.max_order, ARDOUR.TrackMode.Normal, true)
    assert (tracks:size () == 1, "could not add the track")
    local track = tracks:front ()

    local kind = format == "VST3" and ARDOUR.PluginType.VST3 or ARDOUR.PluginType.LV2
    local proc = ARDOUR.LuaAPI.new_plugin (session, plugin, kind, "")
    assert (not proc:isnil (), "Ardour does not know the plug-in " .. plugin)
    assert (track:add_processor_by_index (proc, 0, nil, true) == 0, "could not insert the plug-in")
    assert (ARDOUR.LuaAPI.wait_for_process_callback (4, 5000), "the engine does not run")

    -- Every name of the given list that Ardour's preset menu offers for the
    -- plug-in (its VST3 programs, the LV2 bundle's presets), as Ardour finds
    -- it by label.
    local plug = proc:to_insert ():plugin (0)
    for label in names:gmatch ("[^\n]+") do
        local preset = plug:preset_by_label (label)
        if preset and preset.valid then
            print ("preset " .. label)
        end
    end

    local chosen = plug:preset_by_label (wanted)
    assert (chosen and chosen.valid, "Ardour lists no preset " .. wanted)
    assert (plug:load_preset (chosen), "could not load the preset " .. wanted)

    -- Let the plug-in run with the preset before its state is saved.
    assert (ARDOUR.LuaAPI.wait_for_process_callback (8, 5000), "the engine does not run")
    assert (session:save_state ("", false, false, false, false, false) == 0, "could not save the session")
    print ("session saved")
end

run ()
collectgarbage ()
collectgarbage ()
close_session ()
