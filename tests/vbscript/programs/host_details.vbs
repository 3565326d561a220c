' The host's own properties, as scripts read them to find their files and the engine.
' expect: Windows Script Host / Windows Script Host
' expect: version 5.812
' expect: script host_details.vbs, full name ends with it: True
' expect: host path is the folder of FullName: True
' expect: interactive True, then False
' expect: slept at least 30 ms: True
' expect: CreateObject: Dictionary
' expect: GetObject fails with 429
' expect: Quit inside On Error Resume Next still quits
' exit: 7
Dim t, d
WScript.Echo WScript.Name & " / " & WScript
WScript.Echo "version " & WScript.Version
WScript.Echo "script " & WScript.ScriptName & ", full name ends with it: " & _
    (Right(WScript.ScriptFullName, Len(WScript.ScriptName) + 1) = "/" & WScript.ScriptName)
WScript.Echo "host path is the folder of FullName: " & (WScript.Path = Left(WScript.FullName, InStrRev(WScript.FullName, "/") - 1))
t = WScript.Interactive
WScript.Interactive = False
WScript.Echo "interactive " & t & ", then " & WScript.Interactive
t = Timer
WScript.Sleep 40
WScript.Echo "slept at least 30 ms: " & (Timer - t >= 0.03 Or Timer < t)
Set d = WScript.CreateObject("Scripting.Dictionary")
WScript.Echo "CreateObject: " & TypeName(d)
On Error Resume Next
Set d = WScript.GetObject("winmgmts:")
WScript.Echo "GetObject fails with " & Err.Number
Err.Clear
WScript.Echo "Quit inside On Error Resume Next still quits"
WScript.Quit 7
WScript.Echo "not reached"
