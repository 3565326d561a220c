Dim a, i, n, total, t
t = Timer
n = 300000
For i = 0 To n - 1
  ReDim Preserve a(i)
  a(i) = i Mod 7
Next
total = 0
For i = 0 To UBound(a)
  total = total + a(i)
Next
WScript.Echo (UBound(a) + 1) & " " & total
WScript.Echo "seconds " & (Timer - t)
