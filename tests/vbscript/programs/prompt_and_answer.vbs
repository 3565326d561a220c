' Asks questions on standard output and reads the answers, as an interactive script does;
' the answers come from a file here. The prompts stay on the answer's line.
' stdin: prompt_and_answer.in
' expect: Your name? Hello, Ada!
' expect: Your age? In ten years you will be 46.
' expect: Another question? (no more input)
Dim name, age
WScript.StdOut.Write "Your name? "
name = WScript.StdIn.ReadLine
WScript.StdOut.WriteLine "Hello, " & name & "!"
WScript.StdOut.Write "Your age? "
age = CInt(WScript.StdIn.ReadLine)
WScript.StdOut.WriteLine "In ten years you will be " & (age + 10) & "."
WScript.StdOut.Write "Another question? "
On Error Resume Next
name = WScript.StdIn.ReadLine
If Err.Number = 62 Then WScript.StdOut.WriteLine "(no more input)"
