' Array(...) takes as many items as an array holds; other calls take at most 255 arguments.
Function Items(n, first)
    Dim parts(): ReDim parts(n - 1)
    For i = 0 To n - 1: parts(i) = first + i: Next
    Items = Join(parts, ",")
End Function

Execute "a = Array(" & Items(300, 0) & ")"
WScript.Echo UBound(a) & " " & a(0) & " " & a(254) & " " & a(255) & " " & a(299)
' expect: 299 0 254 255 299
Execute "b = Array(" & Items(100000, 1) & ")"
WScript.Echo UBound(b) & " " & b(99999) & " " & TypeName(b(0))
' expect: 99999 100000 Integer
' Items are values: later changes of the variables they came from do not reach the array.
v = "v"
Execute "c = Array(v, " & Items(400, 0) & ", v & v)"
v = "w"
WScript.Echo c(0) & c(401) & " " & UBound(c)
' expect: vvv 401
' Exactly 255 and 256 items.
Execute "d = Array(" & Items(255, 0) & ")": Execute "e = Array(" & Items(256, 0) & ")"
WScript.Echo UBound(d) & " " & UBound(e) & " " & e(255)
' expect: 254 255 255

On Error Resume Next
Execute "x = Join(" & Items(256, 0) & ")"
WScript.Echo Err.Number
' expect: 1002
Err.Clear
Execute "x = Array(1,," & Items(300, 0) & ")"
WScript.Echo Err.Number
' expect: 1002
