-- Creates a session with one stereo audio track routed to the master bus and
-- Twist Delay inserted on it, sets the plug-in's parameters and saves it.
--
-- Arguments: session folder, session name, sample rate, format (VST3 or LV2),
-- plug-in name or URI, then any number of "key=value" pairs. For VST3 the key
-- is the parameter's name and the value is normalised (0..1); for LV2 the key
-- is the parameter's ID and the value is in the parameter's own units.

local folder, name, rate, format, plugin = arg[1], arg[2], tonumber (arg[3]), arg[4], arg[5]
assert (folder and name and rate and format and plugin, "usage: create_session.lua folder name rate format plugin [Name=value ...]")

local settings = {}
for i = 6, #arg do
    local key, value = string.match (arg[i], "^(.-)=([-%d%.eE+]+)$")
    assert (key, "bad setting: " .. arg[i])
    settings[key] = tonumber (value)
end

local session = create_session (folder, name, rate)
assert (session, "could not create the session")

-- Every reference to a session object lives inside this function, so none
-- outlives the session: luasession destroys the session in close_session(),
-- and a route or plug-in still held by a Lua variable would be destroyed
-- later, by the garbage collector, against the freed session.
local function build ()
    local tracks = session:new_audio_track (2, 2, nil, 1, "Phrase", ARDOUR.PresentationInfo.max_order, ARDOUR.TrackMode.Normal, true)
    assert (tracks:size () == 1, "could not add the track")
    local track = tracks:front ()

    -- Ardour connects new tracks to the master bus from a background thread;
    -- connect explicitly so the saved session does not depend on it.
    local out = track:output ()
    out:disconnect_all (nil)
    for c = 0, 1 do
        assert (out:connect (out:audio (c), "Master/audio_in " .. (c + 1), nil) == 0, "could not connect the track")
    end

    local kind = format == "VST3" and ARDOUR.PluginType.VST3 or ARDOUR.PluginType.LV2
    local proc = ARDOUR.LuaAPI.new_plugin (session, plugin, kind, "")
    assert (not proc:isnil (), "Ardour does not know the plug-in " .. plugin)
    assert (track:add_processor_by_index (proc, 0, nil, true) == 0, "could not insert the plug-in")

    local applied = 0
    if format == "VST3" then
        -- VST3 parameters are plug-in ports, addressed by their control index.
        local plug = proc:to_insert ():plugin (0)
        local index = 0
        for j = 0, plug:parameter_count () - 1 do
            if plug:parameter_is_control (j) and plug:parameter_is_input (j) then
                local value = settings[plug:parameter_label (j)]
                if value ~= nil then
                    assert (ARDOUR.LuaAPI.set_processor_param (proc, index, value), "could not set " .. plug:parameter_label (j))
                    applied = applied + 1
                end
                index = index + 1
            end
        end
    else
        -- LV2 parameters are plug-in properties, each with its own control
        -- named after the property's URI: "property-<plug-in URI>:<ID>".
        local automatable = proc:to_automatable ()
        for param in automatable:all_automatable_params ():iter () do
            local control = automatable:automation_control (param, false)
            if not control:isnil () then
                local value = settings[string.match (control:name (), "^property%-" .. plugin:gsub ("%p", "%%%0") .. ":(.+)$") or ""]
                if value ~= nil then
                    control:set_value (value, PBD.GroupControlDisposition.NoGroup)
                    applied = applied + 1
                end
            end
        end
    end

    local wanted = 0
    for _ in pairs (settings) do wanted = wanted + 1 end
    assert (applied == wanted, string.format ("set %d of %d parameters", applied, wanted))

    -- Let the plug-in see the new values before its state is saved.
    ARDOUR.LuaAPI.wait_for_process_callback (4, 5000)

    assert (session:save_state ("", false, false, false, false, false) == 0, "could not save the session")
    print ("session saved with " .. applied .. " parameters set")
end

build ()
collectgarbage ()
collectgarbage ()
close_session ()
