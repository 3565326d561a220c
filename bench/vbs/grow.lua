local t = os.clock()
local n = 300000
local a = {}
for i = 0, n - 1 do a[#a + 1] = i % 7 end
local total = 0
for i = 1, #a do total = total + a[i] end
print(#a .. " " .. total)
print("seconds " .. (os.clock() - t))
