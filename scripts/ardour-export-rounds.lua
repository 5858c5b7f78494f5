-- Makes the empty session and the MIDI file that scripts/ardour-export-rounds.sh opens in Ardour's GUI:
--
--   ardour7-lua ardour-export-rounds.lua <session-dir> <session-name> <rate> <seconds> <file.mid>
--
-- The session has no tracks (the GUI imports the MIDI file as a new track with the instrument). The
-- MIDI file, at 120 bpm, holds a controller 74 ramp 0 -> 127 -> 0 over <seconds> (one step every
-- <seconds>/254 s) and a short note on every beat, on channel 1, in a track named "Bass".

local session_dir, session_name = arg[1], arg[2]
local rate, seconds, midi_path = tonumber(arg[3] or ""), tonumber(arg[4] or ""), arg[5]
if session_dir == nil or session_name == nil or rate == nil or seconds == nil or midi_path == nil then
	error("usage: ardour-export-rounds.lua <session-dir> <session-name> <rate> <seconds> <file.mid>")
end

local function variable_length(value)
	local bytes = { string.char(value & 0x7f) }
	value = value >> 7
	while value > 0 do
		table.insert(bytes, 1, string.char(0x80 | (value & 0x7f)))
		value = value >> 7
	end
	return table.concat(bytes)
end

local function write_midi_file(path)
	local ticks_per_beat, beats = 960, math.floor(seconds * 2) -- 120 bpm
	local total = beats * ticks_per_beat
	local events = {}
	local steps = 255
	for i = 0, steps - 1 do
		local value = i <= 127 and i or 254 - i
		events[#events + 1] = { math.floor(i * (total - 1) / (steps - 1) + 0.5), 1, string.char(0xb0, 74, value) }
	end
	for beat = 0, beats - 1 do
		events[#events + 1] = { beat * ticks_per_beat, 2, string.char(0x90, 36, 100) }
		events[#events + 1] = { beat * ticks_per_beat + ticks_per_beat // 4, 0, string.char(0x80, 36, 0) }
	end
	-- Same tick: note-offs first, then controllers, then note-ons.
	table.sort(events, function(a, b) return a[1] < b[1] or (a[1] == b[1] and a[2] < b[2]) end)
	local name = "Bass"
	local data = { "\0\xff\x03", string.char(#name), name, "\0\xff\x51\x03", string.pack(">I3", 500000) }
	local last = 0
	for _, event in ipairs(events) do
		data[#data + 1] = variable_length(event[1] - last) .. event[3]
		last = event[1]
	end
	data[#data + 1] = variable_length(total - last) .. "\xff\x2f\0"
	local track = table.concat(data)
	local file = assert(io.open(path, "wb"))
	file:write("MThd", string.pack(">I4I2I2I2", 6, 0, 1, ticks_per_beat), "MTrk", string.pack(">I4", #track), track)
	file:close()
end

write_midi_file(midi_path)
ARDOUR.config():set_hide_dummy_backend(false)
if AudioEngine:set_backend("None (Dummy)", "", ""):isnil() then error("Ardour has no \"None (Dummy)\" backend") end
local session = create_session(session_dir, session_name, rate)
if session == nil then error("Ardour could not create a session in " .. session_dir) end
if Session:save_state("", false, false, false, false, false) ~= 0 then error("Ardour could not save the session") end
print("ROUNDS SESSION " .. session_dir .. "/" .. session_name .. ".ardour")
close_session()
