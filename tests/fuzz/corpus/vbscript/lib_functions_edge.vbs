' Built-in functions through the engine: Null propagation, argument errors, multi-byte text
' and the locale.
WScript.Echo IsNull(Left(Null, 2)) & " " & IsNull(Abs(Null)) & " " & IsNull(Year(Null)) ' expect: True True True
WScript.Echo Len(Mid("äöü€", 2, 2)) & " " & AscW(Right("äöü€", 1)) & " " & InStr("äöü€", "€") ' expect: 2 8364 4
WScript.Echo (UCase("äöü") = "ÄÖÜ") & " " & AscW(StrReverse("ab€")) & " " & Len("ab€") ' expect: True 8364 3
WScript.Echo Join(Split("a;b;;c", ";"), "|") ' expect: a|b||c
WScript.Echo DateAdd("h", 18, DateSerial(1899, 12, 29)) ' expect: 12/29/1899 6:00:00 PM
WScript.Echo DateAdd("h", 7, DateAdd("h", 18, DateSerial(1899, 12, 29))) ' expect: 1:00:00 AM
' Plain addition works on the stored number, so a time added to a day before 12/30/1899
' counts toward zero, as in VBScript.
WScript.Echo DateSerial(1899, 12, 29) + TimeSerial(18, 0, 0) ' expect: 6:00:00 AM
WScript.Echo DateDiff("yyyy", #12/31/1999#, #1/1/2000#) & " " & DatePart("ww", #12/31/2020#, vbMonday, vbFirstFourDays) ' expect: 1 53
WScript.Echo FormatNumber(-0.004, 2) & " " & FormatPercent(1) & " " & FormatCurrency(-2) ' expect: 0.00 100.00% ($2.00)
WScript.Echo Hex(-1) & " " & Hex(CLng(-1)) & " " & Oct(8) ' expect: FFFF FFFFFFFF 10
Dim old
old = SetLocale("de-DE")
WScript.Echo old & " " & GetLocale() & " " & CDbl("1,5") * 2 & " " & FormatNumber(1234.5, 1) ' expect: 1033 1031 3 1.234,5
WScript.Echo AscW(Mid(MonthName(3), 2, 1)) & " " & WeekdayName(1, True) & " " & DateSerial(2020, 1, 15) ' expect: 228 So 15.01.2020
SetLocale old
WScript.Echo CStr(1.5) ' expect: 1.5
On Error Resume Next
Dim r
r = Left("abc", -1)
WScript.Echo Err.Number ' expect: 5
Err.Clear
r = Space(2000000000)
WScript.Echo Err.Number & " " & Err.Description ' expect: 7 Out of memory
Err.Clear
r = DateSerial(10000, 1, 1)
WScript.Echo Err.Number ' expect: 5
Err.Clear
r = MonthName(0)
WScript.Echo Err.Number ' expect: 5
Err.Clear
r = Chr(300)
WScript.Echo Err.Number ' expect: 5
Err.Clear
r = Asc("")
WScript.Echo Err.Number ' expect: 5
Err.Clear
r = Replace(Null, "a", "b")
WScript.Echo Err.Number ' expect: 94
Err.Clear
r = Round(2.5, -1)
WScript.Echo Err.Number ' expect: 5
Err.Clear
r = Sqr("four")
WScript.Echo Err.Number ' expect: 13
Err.Clear
r = Left("a")
WScript.Echo Err.Number ' expect: 450
Err.Clear
' Text comparison folds the same letters in StrComp, Filter and InStr.
WScript.Echo StrComp("ÄRGER", "ärger", vbTextCompare) & " " & StrComp("ÄRGER", "ärger") & " " & InStr(1, "xÄy", "ä", vbTextCompare) ' expect: 0 -1 2
WScript.Echo Join(Filter(Array("Ärger", "Öl", "ärgern"), "ÄR", True, vbTextCompare), ",") ' expect: Ärger,ärgern
