' Library objects reached through the engine: default members, For Each, Set and errors.
Dim d, k, s
Set d = CreateObject("Scripting.Dictionary")
d(1) = "one"
d(1.0) = "uno"
d("1") = "text"
WScript.Echo d.Count & " " & d(1) ' expect: 2 uno
s = ""
For Each k In d
    s = s & TypeName(k) & ";"
Next
WScript.Echo s ' expect: Integer;String;
On Error Resume Next
d.CompareMode = vbTextCompare
WScript.Echo Err.Number ' expect: 5
Err.Clear
d.Remove "missing"
WScript.Echo Err.Number & " " & Err.Description ' expect: 32811 Element not found
Err.Clear
Dim x
x = CreateObject("No.Such.Thing")
WScript.Echo Err.Number & " " & Err.Description ' expect: 429 ActiveX component can't create object
Err.Clear
x = GetObject("winmgmts:")
WScript.Echo Err.Number ' expect: 429
Err.Clear
On Error GoTo 0

Dim re, m, sm
Set re = CreateObject("VBScript.RegExp")
re.Pattern = "(\d+)-(\d+)?"
re.Global = True
s = ""
For Each m In re.Execute("1-2 3-")
    For Each sm In m.SubMatches
        s = s & "[" & sm & "]"
    Next
Next
WScript.Echo s ' expect: [1][2][3][]
WScript.Echo IsEmpty(re.Execute("3-")(0).SubMatches(1)) ' expect: True
re.Pattern = "("
On Error Resume Next
WScript.Echo re.Test("x")
WScript.Echo Err.Number & " " & Err.Description ' expect: 5017 Syntax error in regular expression
On Error GoTo 0

Dim fso, folder, f, names
Set fso = CreateObject("Scripting.FileSystemObject")
folder = fso.BuildPath(fso.GetSpecialFolder(2), fso.GetTempName())
fso.CreateFolder folder
fso.CreateTextFile(fso.BuildPath(folder, "b.txt")).Write "bb"
fso.CreateTextFile(fso.BuildPath(folder, "a.txt")).Write "a"
names = ""
For Each f In fso.GetFolder(folder).Files
    names = names & f.Name & "=" & f.Size & " "
Next
WScript.Echo names ' expect: a.txt=1 b.txt=2 
WScript.Echo fso.GetFolder(folder).Files("b.txt").Type ' expect: TXT File
fso.DeleteFolder folder
WScript.Echo fso.FolderExists(folder) ' expect: False
