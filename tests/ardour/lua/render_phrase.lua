-- Loads a session made by create_session.lua (with the phrase embedded on its
-- track) and bounces the track through its plug-ins, as Ardour's "Bounce
-- (with processing)" does, into new 32-bit float sources of the session;
-- then saves the snapshot "rendered".
--
-- A bounce, not Session:simple_export(): the export path of Ardour 7.3 (the
-- same in ardour7-export) corrupts Ardour's heap in about one run in five,
-- with or without any plug-in in the session, and the process then aborts
-- ("double free or corruption", "free(): invalid size") while finishing the
-- export or closing the session. The bounce runs in this thread and has no
-- such race.
--
-- Arguments: session folder, session name, number of samples to render,
-- number of engine cycles to let pass before the bounce.

local folder, name, length, idle = arg[1], arg[2], tonumber (arg[3]), tonumber (arg[4])
assert (folder and name and length and idle, "usage: render_phrase.lua folder name samples idle-cycles")

local session = load_session (folder, name)
assert (session, "could not load the session")

-- Every reference to a session object lives inside this function, so none
-- outlives the session (see create_session.lua).
local function render ()
    local route = session:route_by_name ("Phrase")
    assert (not route:isnil (), "the session has no Phrase track")
    local track = route:to_track ()
    assert (track:playlist ():region_list ():size () == 1, "the phrase region is missing")

    -- The engine runs the plug-in on silence while the transport is stopped;
    -- make sure it has settled after loading its state before the render.
    assert (ARDOUR.LuaAPI.wait_for_process_callback (idle, 30000), "the engine does not run")

    local region = track:bounce_range (0, length, ARDOUR.InterThreadInfo (), track:main_outs (), false, "render")
    assert (not region:isnil (), "the bounce failed")
    for c = 0, region:to_audioregion ():n_channels () - 1 do
        print ("render-channel " .. c .. " " .. region:source (c):to_filesource ():path ())
    end

    -- A snapshot of the session as rendered, with the plug-in's state.
    assert (session:save_state ("rendered", false, false, false, false, false) == 0, "could not save the snapshot")
end

render ()
collectgarbage ()
collectgarbage ()
close_session ()
