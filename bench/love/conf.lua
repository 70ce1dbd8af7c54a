-- The peer's window: 640 by 480, no vertical sync, only the modules drawing needs.
function love.conf(t)
  t.window.title = "bench"
  t.window.width = 640
  t.window.height = 480
  t.window.vsync = 0
  t.modules.audio = false
  t.modules.sound = false
  t.modules.joystick = false
  t.modules.physics = false
  t.modules.touch = false
  t.modules.video = false
end
