' The error numbers scripts test for: members of Nothing, With on a non-object, Null where a
' text or number is needed.
Dim o, v, n
On Error Resume Next

Set o = Nothing
v = o.Name
WScript.Echo Err.Number ' expect: 424
Err.Clear
o.Name = 1
WScript.Echo Err.Number ' expect: 424
Err.Clear
o.Run
WScript.Echo Err.Number, Err.Description ' expect: 424 Object required
Err.Clear
v = o
WScript.Echo Err.Number ' expect: 91
Err.Clear

n = 5
With n
    WScript.Echo "With body, error " & Err.Number ' expect: With body, error 424
End With
Err.Clear
With "text"
    WScript.Echo "With body, error " & Err.Number ' expect: With body, error 424
End With
Err.Clear

Sub Check(label)
    WScript.Echo label & ": " & Err.Number
    Err.Clear
End Sub
v = Mid("abc", Null): Check "Mid start" ' expect: Mid start: 94
v = Mid("abc", 1, Null): Check "Mid length" ' expect: Mid length: 94
v = Join(Null): Check "Join list" ' expect: Join list: 94
v = Join(Array(1, 2), Null): Check "Join delimiter" ' expect: Join delimiter: 94
v = InStrRev(Null, "a"): Check "InStrRev text" ' expect: InStrRev text: 94
v = InStrRev("abc", Null): Check "InStrRev find" ' expect: InStrRev find: 94
v = InStrRev("abc", "b", Null): Check "InStrRev start" ' expect: InStrRev start: 94
v = DateAdd("d", Null, #1/1/2020#): Check "DateAdd number" ' expect: DateAdd number: 94
v = DateAdd(Null, 1, #1/1/2020#): Check "DateAdd interval" ' expect: DateAdd interval: 94
v = MonthName(Null): Check "MonthName" ' expect: MonthName: 94
v = FormatNumber(Null): Check "FormatNumber" ' expect: FormatNumber: 94
v = FormatCurrency(1, Null): Check "FormatCurrency digits" ' expect: FormatCurrency digits: 94
v = FormatPercent(Null): Check "FormatPercent" ' expect: FormatPercent: 94
v = FormatDateTime(Null): Check "FormatDateTime" ' expect: FormatDateTime: 94

' Where VBScript passes Null through, it still does.
WScript.Echo IsNull(Mid(Null, 1)), IsNull(InStr(Null, "a")), IsNull(DateAdd("d", 1, Null)) ' expect: True True True
WScript.Echo Err.Number ' expect: 0
