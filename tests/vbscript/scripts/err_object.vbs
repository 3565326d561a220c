' Err.Raise and the Err object's fields.
On Error Resume Next

' Arguments left out of Err.Raise take the values of an error not yet cleared.
Err.Raise 1001, "MyApp", "Custom failure"
Err.Raise 1002
WScript.Echo Err.Number & "|" & Err.Source & "|" & Err.Description ' expect: 1002|MyApp|Custom failure
Err.Clear
Err.Raise 30001
WScript.Echo Err.Number & "|" & Err.Source & "|" & Err.Description ' expect: 30001|Microsoft VBScript runtime error|Unknown runtime error
Err.Clear
' A standard text belongs to its number: the next raise takes its own.
v = 1 / 0
Err.Raise 6
WScript.Echo Err.Number & "|" & Err.Description ' expect: 6|Overflow
Err.Clear

' HRESULTs name VBScript errors.
Err.Raise &h8007000E&
WScript.Echo Err.Number & "|" & Err.Description ' expect: 7|Out of memory
Err.Clear
Err.Raise &h800A0009
WScript.Echo Err.Number & "|" & Err.Description ' expect: 9|Subscript out of range
Err.Clear
Err.Raise &h80070005
WScript.Echo Err.Number ' expect: 70
Err.Clear
Err.Raise &h80040200
WScript.Echo Err.Number = &h80040200 ' expect: True
Err.Clear

' Help fields stay with Err.Raise and go with any other error.
Err.Raise 1000, "src", "desc", "help.chm", 42
WScript.Echo Err.HelpFile & "|" & Err.HelpContext ' expect: help.chm|42
v = 1 / 0
WScript.Echo Err.Number & "|" & Err.HelpFile & "|" & Err.HelpContext ' expect: 11||0
Err.Clear
Err.HelpFile = "x.hlp"
Err.Raise 5
WScript.Echo Err.HelpFile ' expect: x.hlp
Err.Clear
WScript.Echo Err.HelpFile & "|" & Err.HelpContext ' expect: |0
