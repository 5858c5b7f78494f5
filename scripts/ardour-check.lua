-- Loads a Linux VST 2.4 instrument into a headless Ardour 7 session (ardour7-lua, "None (Dummy)"
-- backend) and reports what Ardour sees. Driven by scripts/ardour-check.sh; run it through that.
--
-- ardour7-lua ardour-check.lua create <plugin.so> <session-dir> <session-name> <state-file> <param> <note>
--   makes a session with one MIDI track holding the plug-in, lists its parameters, measures the
--   track's output peak with no notes and with one held note, sets parameter <param> to a new value,
--   saves, closes and reopens the session in the same process and compares every parameter, then
--   writes all values to <state-file> for the second process.
-- ardour7-lua ardour-check.lua reload <plugin.so> <session-dir> <session-name> <state-file> <param>
--   reopens the saved session in a fresh process, compares every parameter with <state-file> and
--   saves the session again as snapshot "reloaded".
-- ardour7-lua ardour-check.lua export <plugin.so> <session-dir> <session-name> <export-dir>
--   reopens the saved session and exports its first 2 seconds (no notes) to <export-dir>/render.wav.
--
-- Every line meant for the caller starts with "CHECK "; a failed check raises a Lua error, which
-- makes ardour7-lua exit with status 1 after printing "Error: ... FAIL ...".

local mode, plugin_path, session_dir, session_name, state_file = arg[1], arg[2], arg[3], arg[4], arg[5]
local chosen_param = tonumber(arg[6] or "0")
local note = tonumber(arg[7] or "48")
local track_name = "Check"
local tolerance = 1e-5

local function say(...)
	local parts = {}
	for i = 1, select("#", ...) do parts[#parts + 1] = tostring(select(i, ...)) end
	print("CHECK " .. table.concat(parts, " "))
	io.stdout:flush()
end

local function fail(message)
	say("FAIL " .. message)
	error("FAIL " .. message, 0)
end

if mode ~= "create" and mode ~= "reload" and mode ~= "export" then
	error("usage: ardour-check.lua create|reload|export <plugin.so> <session-dir> <session-name> <state-file|export-dir> [param] [note]")
end

local function db_text(db)
	if db ~= db then return "nan" end
	if db == math.huge then return "inf" end
	if db == -math.huge or db < -200 then return "-inf" end
	return string.format("%.2f", db)
end

local function start_engine()
	ARDOUR.config():set_hide_dummy_backend(false)
	local backend = AudioEngine:set_backend("None (Dummy)", "", "")
	if backend:isnil() then fail("Ardour has no \"None (Dummy)\" backend") end
end

-- The track's plug-in insert (first plug-in on the track) and the plug-in inside it.
local function find_plugin(route)
	local processor = route:nth_plugin(0)
	if processor:isnil() then return nil end
	local insert = processor:to_insert()
	if insert:isnil() then return nil end
	if insert:type() ~= ARDOUR.PluginType.LXVST then return nil end
	return processor, insert, insert:plugin(0)
end

local function parameter_values(processor, plugin)
	local values = {}
	for i = 0, plugin:parameter_count() - 1 do
		values[i] = ARDOUR.LuaAPI.get_processor_param(processor, i, true)
	end
	return values
end

local function compare(expected, processor, plugin, label)
	local actual = parameter_values(processor, plugin)
	local count, mismatches = 0, 0
	for i = 0, #expected do
		local value = expected[i]
		if value == nil then break end
		count = count + 1
		local now = actual[i]
		if now == nil or math.abs(now - value) > tolerance then
			mismatches = mismatches + 1
			local _, pd = plugin:get_parameter_descriptor(i, ARDOUR.ParameterDescriptor())
			say(string.format("MISMATCH %s parameter %d \"%s\": saved %.6f, now %s", label, i,
				pd[2].label, value, now and string.format("%.6f", now) or "missing"))
		end
	end
	if plugin:parameter_count() ~= count then
		mismatches = mismatches + 1
		say(string.format("MISMATCH %s parameter count: saved %d, now %d", label, count, plugin:parameter_count()))
	end
	return count, mismatches
end

local function reopen_and_compare(expected, label)
	local session = load_session(session_dir, session_name)
	if session == nil then fail(label .. ": Ardour could not load the saved session") end
	local route = Session:route_by_name(track_name)
	if route:isnil() then fail(label .. ": track \"" .. track_name .. "\" missing after reload") end
	local processor, insert, plugin = find_plugin(route)
	if processor == nil then
		fail(label .. ": the plug-in is missing from the reloaded track (Ardour could not instantiate it)")
	end
	local count, mismatches = compare(expected, processor, plugin, label)
	local value = ARDOUR.LuaAPI.get_processor_param(processor, chosen_param, true)
	say(string.format("RELOAD %s: parameter %d reads %.6f (saved %.6f); %d of %d parameters identical",
		label, chosen_param, value, expected[chosen_param] or -1, count - mismatches, count))
	if mismatches > 0 then fail(label .. ": " .. mismatches .. " parameter(s) differ after reload") end
	processor, insert, plugin, route = nil, nil, nil, nil
	collectgarbage()
end

-- Peak of a WAV file (16-bit PCM or 32-bit float) in dBFS, with its frame and channel counts.
local function wav_peak(path)
	local file = io.open(path, "rb")
	if file == nil then return nil end
	local data = file:read("a")
	file:close()
	if data:sub(1, 4) ~= "RIFF" or data:sub(9, 12) ~= "WAVE" then return nil end
	local position, format, channels, bits, first, bytes = 13, 0, 0, 0, nil, 0
	while position + 8 <= #data do
		local id, size = data:sub(position, position + 3), string.unpack("<I4", data, position + 4)
		local body = position + 8
		if id == "fmt " then
			format, channels = string.unpack("<I2", data, body), string.unpack("<I2", data, body + 2)
			bits = string.unpack("<I2", data, body + 14)
			if format == 0xFFFE then format = string.unpack("<I2", data, body + 24) end
		elseif id == "data" then
			first, bytes = body, math.min(size, #data - body + 1)
			break
		end
		position = body + size + (size % 2)
	end
	local layout
	if format == 1 and bits == 16 then layout = "<i2"
	elseif format == 3 and bits == 32 then layout = "<f"
	else return nil end
	local step, full_scale = bits // 8, (format == 1) and 32768 or 1
	if first == nil or channels == 0 then return nil end
	local loudest = 0
	for at = first, first + bytes - step, step do
		local value = math.abs(string.unpack(layout, data, at))
		if value ~= value then value = math.huge end -- NaN counts as loud
		if value > loudest then loudest = value end
	end
	local db = loudest > 0 and 20 * math.log(loudest / full_scale, 10) or -math.huge
	return db, bytes // (step * channels), channels
end

-- A 32-bit float WAV export format and preset without dither or normalisation, written to the
-- (temporary) user configuration, where Ardour looks for export presets when a session loads.
local preset_id = "6d1b1d1e-5a2f-4c3e-9a51-3c0a8e1f7b20"
local function write_export_preset()
	local folder = ARDOUR.user_config_directory(-1) .. "/export"
	os.execute("mkdir -p '" .. folder .. "'")
	local format = io.open(folder .. "/check-float.format", "w")
	format:write([[<?xml version="1.0" encoding="UTF-8"?>
<ExportFormatSpecification name="Check float" id="2f0c7e65-1d7b-4f7e-8f57-3f4b3c8d9e10" with-cue="false" with-toc="false" with-mp4chaps="false" command="" analyse="false" soundcloud-upload="false">
  <Encoding id="F_WAV" type="T_Sndfile" extension="wav" name="WAV" has-sample-format="true" channel-limit="256"/>
  <SampleRate rate="SR_Session"/>
  <SRCQuality quality="SRC_SincBest"/>
  <EncodingOptions>
    <Option name="sample-format" value="SF_Float"/>
    <Option name="dithering" value="D_None"/>
    <Option name="tag-metadata" value="false"/>
    <Option name="tag-support" value="false"/>
    <Option name="broadcast-info" value="false"/>
  </EncodingOptions>
  <Processing>
    <Normalize enabled="false" loudness="no" dbfs="0" lufs="-23" dbtp="-1"/>
    <Silence>
      <Start>
        <Trim enabled="false"/>
        <Add enabled="false">
          <Duration format="Timecode" hours="0" minutes="0" seconds="0" frames="0"/>
        </Add>
      </Start>
      <End>
        <Trim enabled="false"/>
        <Add enabled="false">
          <Duration format="Timecode" hours="0" minutes="0" seconds="0" frames="0"/>
        </Add>
      </End>
    </Silence>
  </Processing>
</ExportFormatSpecification>
]])
	format:close()
	local preset = io.open(folder .. "/check-float.preset", "w")
	preset:write([[<?xml version="1.0" encoding="UTF-8"?>
<ExportPreset id="]] .. preset_id .. [[" name="Check float">
  <ExportFormat id="2f0c7e65-1d7b-4f7e-8f57-3f4b3c8d9e10"/>
  <ExportFilename>
    <Folder relative="1" path="export"/>
    <Field name="label" enabled="0"/>
    <Field name="session" enabled="0"/>
    <Field name="snapshot" enabled="0"/>
    <Field name="timespan" enabled="1"/>
    <Field name="revision" enabled="0"/>
    <Field name="time" enabled="0" value="T_None"/>
    <Field name="date" enabled="0" value="D_None"/>
  </ExportFilename>
</ExportPreset>
]])
	preset:close()
end

if mode == "export" then
	-- Offline render of the saved session (Ardour's freewheeling export) to a WAV file.
	local export_dir = state_file
	start_engine()
	write_export_preset()
	local session = load_session(session_dir, session_name)
	if session == nil then fail("export: Ardour could not load the saved session") end
	local route = Session:route_by_name(track_name)
	if route:isnil() or find_plugin(route) == nil then fail("export: the plug-in is missing from the session") end
	route = nil
	collectgarbage()
	local rate = Session:nominal_sample_rate()
	local exporter = Session:simple_export()
	if not exporter:set_preset(preset_id) then fail("export: Ardour did not take the float WAV export preset") end
	exporter:set_folder(export_dir)
	exporter:set_name("render")
	exporter:set_range(0, 2 * rate)
	if not exporter:check_outputs() then fail("export: the session has no outputs to export") end
	if not exporter:run_export() then fail("export: Ardour's export failed") end
	local db, frames, channels = wav_peak(export_dir .. "/render.wav")
	if db == nil then fail("export: no readable " .. export_dir .. "/render.wav") end
	say(string.format("EXPORT 2 s offline, no notes: %d frames x %d channels (32-bit float), peak_dBFS=%s",
		frames, channels, db_text(db)))
	exporter = nil
	say("DONE")
	-- Ardour 7.3 itself may abort after an export, mostly while destroying the session (a double
	-- free in PortExportChannel, with its own plug-ins or none); the caller tolerates an abort
	-- once the EXPORT line is out.
	close_session()
	return
end

if mode == "reload" then
	start_engine()
	local expected = {}
	local file = io.open(state_file, "r")
	if file == nil then fail("no saved state file " .. state_file) end
	for line in file:lines() do
		local index, value = line:match("^(%d+) (%S+)$")
		if index then expected[tonumber(index)] = tonumber(value) end
	end
	file:close()
	reopen_and_compare(expected, "new process")
	-- Saved again under another snapshot name, so the caller can compare the plug-in's state chunk
	-- as restored with the chunk that was saved.
	if Session:save_state("reloaded", false, false, false, false, false) ~= 0 then
		fail("Ardour could not save the reloaded session")
	end
	say("SAVED " .. session_dir .. "/reloaded.ardour")
	close_session()
	say("DONE")
	return
end

-- create
start_engine()
local session = create_session(session_dir, session_name, 48000)
if session == nil then fail("Ardour could not create a session in " .. session_dir) end
-- Adding a track in the first moments of a new session (or after waiting for process callbacks)
-- races with Ardour's own start-up, with Ardour's bundled synth as well: "Port already exists:
-- (:Check/audio_out 1)", then an abort. Two seconds later, without that wait, it has not happened.
ARDOUR.LuaAPI.usleep(2000000)
say(string.format("ENGINE running=%s rate=%d block=%d", tostring(AudioEngine:running()),
	Session:nominal_sample_rate(), Session:get_block_size()))

local info = nil
local vst_found = {}
for candidate in ARDOUR.LuaAPI.list_plugins():iter() do
	if candidate.type == ARDOUR.PluginType.LXVST then
		vst_found[#vst_found + 1] = candidate.name .. " (" .. candidate.path .. ")"
		if candidate.path == plugin_path then info = candidate end
	end
end
if info == nil then
	say("VST plug-ins Ardour knows: " .. (#vst_found > 0 and table.concat(vst_found, ", ") or "none"))
	fail("Ardour did not index " .. plugin_path .. " (the scanner rejected it or could not load it)")
end
say(string.format("INDEXED name=\"%s\" maker=\"%s\" category=\"%s\" unique_id=%s instrument=%s",
	info.name, info.creator, info.category, info.unique_id, tostring(info:is_instrument())))

local tracks = Session:new_midi_track(ARDOUR.ChanCount(ARDOUR.DataType("midi"), 1),
	ARDOUR.ChanCount(ARDOUR.DataType("audio"), 2), true, info, nil, nil, 1, track_name,
	ARDOUR.PresentationInfo.max_order, ARDOUR.TrackMode.Normal, true, false)
if tracks:size() ~= 1 then fail("Ardour could not create a MIDI track") end
local route = tracks:front()
tracks = nil
local processor, insert, plugin = find_plugin(route)
if processor == nil then fail("Ardour could not instantiate the plug-in on a MIDI track") end
say(string.format("LOADED name=\"%s\" maker=\"%s\" unique_id=%s outputs=%d track_outputs=%d",
	plugin:name(), plugin:maker(), plugin:unique_id(), insert:output_streams():n_audio(),
	route:n_outputs():n_audio()))

local count = plugin:parameter_count()
say("PARAMETERS " .. count)
for i = 0, count - 1 do
	local _, pd = plugin:get_parameter_descriptor(i, ARDOUR.ParameterDescriptor())
	local d = pd[2]
	local value = ARDOUR.LuaAPI.get_processor_param(processor, i, true)
	local flags = ""
	if not plugin:parameter_is_input(i) then flags = flags .. " output" end
	if not plugin:parameter_is_control(i) then flags = flags .. " not-a-control" end
	say(string.format("PARAM %d \"%s\" = %.6f range %g..%g%s", i, d.label, value, d.lower, d.upper, flags))
end

-- Rendering: the track's post-fader peak meter while the engine runs its cycles.
local meter = route:peak_meter()
local function peak(milliseconds)
	ARDOUR.LuaAPI.usleep(50000)
	meter:reset_max()
	ARDOUR.LuaAPI.usleep(milliseconds * 1000)
	if not ARDOUR.LuaAPI.wait_for_process_callback(2, 2000) then
		fail("Ardour's audio cycles stopped (is the plug-in stuck in processing?)")
	end
	local loudest = -math.huge
	for channel = 0, meter:input_streams():n_audio() - 1 do
		loudest = math.max(loudest, meter:meter_level(channel, ARDOUR.MeterType.MeterMaxPeak))
	end
	return loudest
end

local midi_track = route:to_track():to_midi_track()
local parser = ARDOUR.RawMidiParser()
local function send_midi(bytes)
	for _, byte in ipairs(bytes) do
		if parser:process_byte(byte) then
			if not midi_track:write_immediate_event(Evoral.EventType.MIDI_EVENT, parser:buffer_size(),
				parser:midi_buffer()) then
				fail("Ardour refused a MIDI event for the track")
			end
		end
	end
end

local silent_peak = peak(500)
say("RENDER no-notes peak_dBFS=" .. db_text(silent_peak))
send_midi({0x90, note, 100})
local note_peak = peak(500)
send_midi({0x80, note, 0})
say(string.format("RENDER note=%d held 500 ms peak_dBFS=%s", note, db_text(note_peak)))
local tail_peak = peak(1000)
say("RENDER after-note-off (1 s) peak_dBFS=" .. db_text(tail_peak))
-- With the transport rolling (a step sequencer may play by itself then), still no notes.
Session:request_locate(0, false, ARDOUR.LocateTransportDisposition.MustStop, ARDOUR.TransportRequestSource.TRS_UI)
ARDOUR.LuaAPI.usleep(200000)
Session:request_roll(ARDOUR.TransportRequestSource.TRS_UI)
local rolling_peak = peak(1000)
local rolled = Session:transport_rolling()
Session:request_stop(false, false, ARDOUR.TransportRequestSource.TRS_UI)
ARDOUR.LuaAPI.usleep(200000)
say(string.format("RENDER transport-rolling (1 s, rolling=%s) no notes peak_dBFS=%s", tostring(rolled), db_text(rolling_peak)))
-- The closing controllers a host sends on all channels: sustain off, all notes off, reset controllers.
for channel = 0, 15 do send_midi({0xB0 + channel, 64, 0, 0xB0 + channel, 123, 0, 0xB0 + channel, 121, 0}) end
ARDOUR.LuaAPI.usleep(100000)

-- State: change one parameter, save, reopen in this process, compare.
if chosen_param < 0 or chosen_param >= count then
	fail("parameter " .. chosen_param .. " does not exist (" .. count .. " parameters)")
end
local _, pd = plugin:get_parameter_descriptor(chosen_param, ARDOUR.ParameterDescriptor())
local lower, upper = pd[2].lower, pd[2].upper
local before = ARDOUR.LuaAPI.get_processor_param(processor, chosen_param, true)
local after = before
for _, fraction in ipairs({0.3, 0.7, 1.0, 0.0, 0.55}) do
	local target = lower + (upper - lower) * fraction
	if math.abs(target - before) > 0.05 * (upper - lower) then
		ARDOUR.LuaAPI.set_processor_param(processor, chosen_param, target)
		ARDOUR.LuaAPI.usleep(50000)
		after = ARDOUR.LuaAPI.get_processor_param(processor, chosen_param, true)
		if math.abs(after - before) > tolerance then break end
	end
end
if math.abs(after - before) <= tolerance then
	fail(string.format("parameter %d \"%s\" keeps %.6f whatever is set", chosen_param, pd[2].label, before))
end
say(string.format("SET parameter %d \"%s\": %.6f -> %.6f", chosen_param, pd[2].label, before, after))

local expected = parameter_values(processor, plugin)
processor, insert, plugin, route, midi_track, meter = nil, nil, nil, nil, nil, nil
collectgarbage()
if Session:save_state("", false, false, false, false, false) ~= 0 then fail("Ardour could not save the session") end
say("SAVED " .. session_dir .. "/" .. session_name .. ".ardour")
local file = io.open(state_file, "w")
for i = 0, count - 1 do file:write(string.format("%d %.9g\n", i, expected[i])) end
file:close()
close_session()
reopen_and_compare(expected, "same process")
close_session()
say("DONE")
