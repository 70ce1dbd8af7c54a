-- The benchmark's drawing workload in LOVE 11, for comparison: the same seeded
-- lines as bench/lines.js and bench/line_table.cpp, each drawn as the same three
-- textured quads (start cap, body, end cap) cut from the same glow texture,
-- added to the frame through a sprite batch with additive blending.
--
-- Usage: love bench/love GLOW N FRAMES [lines|points|tiny]
--   tiny: the lines drawn 64 times smaller, so that handing them over is all the work.
--   GLOW: the glow texture as 128 * 128 luminance bytes (native_lines --write-glow).
-- Prints "table HASH" and the frame stamps in the form bench_driver reads.
local bit = require("bit")
local ffi = require("ffi")

local band, bor, bxor, rshift, lshift, tobit = bit.band, bit.bor, bit.bxor, bit.rshift, bit.lshift, bit.tobit

-- 32-bit multiplication modulo 2^32, as JavaScript's Math.imul.
local function imul(a, b)
  local ah, al = band(rshift(a, 16), 0xffff), band(a, 0xffff)
  local bh, bl = band(rshift(b, 16), 0xffff), band(b, 0xffff)
  return tobit(al * bl + lshift(tobit(ah * bl + al * bh), 16))
end

local function mulberry32(seed)
  return function()
    seed = tobit(seed + 0x6D2B79F5)
    local t = seed
    t = imul(bxor(t, rshift(t, 15)), bor(t, 1))
    t = bxor(t, tobit(t + imul(bxor(t, rshift(t, 7)), bor(t, 61))))
    local v = bxor(t, rshift(t, 14))
    if v < 0 then v = v + 4294967296 end
    return v / 4294967296
  end
end

-- x1, y1, x2, y2 of each line, rounded to single precision.
local function makeLineTable(count)
  local random = mulberry32(20240607)
  local table = ffi.new("float[?]", count * 4)
  for i = 0, count - 1 do
    local x, y = random() * 640, random() * 480
    local angle, length = random() * 2 * math.pi, 10 + random() * 90
    table[4 * i] = x
    table[4 * i + 1] = y
    table[4 * i + 2] = x + length * math.cos(angle)
    table[4 * i + 3] = y + length * math.sin(angle)
  end
  return table
end

-- FNV-1a over the bits of every value.
local function hashLineTable(table, count)
  local bits = ffi.cast("int32_t*", table)
  local hash = tobit(2166136261)
  for i = 0, count * 4 - 1 do hash = imul(bxor(hash, bits[i]), 16777619) end
  if hash < 0 then hash = hash + 4294967296 end
  return hash
end

-- The glow texture as an image: luminance into red, green and blue, opaque.
local function loadGlow(path)
  local file = assert(io.open(path, "rb"))
  local levels = file:read("*a")
  file:close()
  assert(#levels == 128 * 128, "the glow texture must hold 128 * 128 bytes")
  local data = love.image.newImageData(128, 128, "rgba8")
  local pixels = ffi.cast("uint8_t*", data:getFFIPointer())
  for i = 0, 128 * 128 - 1 do
    local level = levels:byte(i + 1)
    pixels[4 * i], pixels[4 * i + 1], pixels[4 * i + 2], pixels[4 * i + 3] = level, level, level, 255
  end
  local image = love.graphics.newImage(data)
  image:setFilter("linear", "linear")
  return image
end

local function nanoseconds() return love.timer.getTime() * 1e9 end

function love.run()
  local args = love.arg.parseGameArguments(arg)
  local count, frames, shape = tonumber(args[2]), tonumber(args[3]), args[4] or "lines"
  local lines = makeLineTable(count)
  io.stderr:write(string.format("table %.0f\n", hashLineTable(lines, count)))

  local glow = loadGlow(args[1])
  -- Texel rectangles of the 128 by 128 texture: the strip's rounded end, its
  -- straight part and the point spot.
  local cap = love.graphics.newQuad(0, 0, 64, 64, 128, 128)
  local body = love.graphics.newQuad(0, 32, 64, 64, 128, 128)
  local spot = love.graphics.newQuad(64, 0, 64, 64, 128, 128)
  local batch = love.graphics.newSpriteBatch(glow, shape == "points" and count or 3 * count, "stream")
  love.graphics.setBlendMode("add", "premultiplied")
  local quarter = math.pi / 2
  local w = 4  -- half the line width 8

  -- Each quad maps the texture's s axis across the stroke and its t axis along
  -- it, as oru's corners do: turned a quarter and mirrored where needed.
  local function addPoint(x, y)
    local k = 2 * w / 64
    batch:add(spot, x, y, quarter, k, k, 32, 32)
  end
  local function addLine(x1, y1, x2, y2)
    local dx, dy = x2 - x1, y2 - y1
    local length = math.sqrt(dx * dx + dy * dy)
    if 2 * w > length then return addPoint(x1, y1) end
    local angle = math.atan2(dy, dx)
    local c, s = dx / length, dy / length
    local k = 2 * w / 64
    batch:add(cap, x1, y1, angle + quarter, k, -k, 32, 32)
    local along = length - w
    batch:add(body, x1 + c * along, y1 + s * along, angle + quarter, k, (length - 2 * w) / 64, 32, 0)
    along = length + w
    batch:add(cap, x1 + c * along, y1 + s * along, angle + quarter, k, k, 32, 0)
  end

  -- os.clock is the processor time of the whole process, every thread.
  local ended, firstEnd, lastEnd, firstCpu, lastCpu = 0, 0, 0, 0, 0
  return function()
    love.event.pump()
    for name in love.event.poll() do
      if name == "quit" then return 0 end
    end
    if frames > 0 and ended >= frames then
      io.stderr:write(string.format("bench: frames %d first %.0f last %.0f cpu %.0f %.0f\n",
                                    ended, firstEnd, lastEnd, firstCpu, lastCpu))
      return 0
    end
    love.graphics.clear(0, 0, 0, 0)
    love.graphics.setColor(0.2, 0.5, 1, 1)
    batch:clear()
    if shape == "points" then
      for i = 0, 4 * count - 1, 4 do addPoint(lines[i + 2], lines[i + 3]) end
    else
      for i = 0, 4 * count - 1, 4 do addLine(lines[i], lines[i + 1], lines[i + 2], lines[i + 3]) end
    end
    if shape == "tiny" then
      love.graphics.draw(batch, 0, 0, 0, 1 / 64, 1 / 64)
    else
      love.graphics.draw(batch)
    end
    love.graphics.present()
    ended = ended + 1
    lastEnd = nanoseconds()
    lastCpu = os.clock() * 1e9
    if ended == 1 then firstEnd, firstCpu = lastEnd, lastCpu end
  end
end
