' Conversions and the types of results, where VBScript's rules are easy to get wrong.
WScript.Echo CByte(True), TypeName(CByte(True)) ' expect: 255 Byte
WScript.Echo CByte(False) ' expect: 0
WScript.Echo CInt(True), CLng(True), CDbl(True) ' expect: -1 -1 -1

' Texts that name a Boolean are Booleans to Not, also in the #TRUE# / #FALSE# form.
WScript.Echo Not "#FALSE#", Not "#TRUE#" ' expect: True False
WScript.Echo TypeName(Not "false"), Not " 1" ' expect: Boolean -2
WScript.Echo CBool("#TRUE#"), CBool("#false#") ' expect: True False

' Round keeps its argument's type, a Boolean too.
WScript.Echo Round(True), TypeName(Round(True)), TypeName(Round(False)) ' expect: True Boolean Boolean
WScript.Echo TypeName(Round(CByte(3))), TypeName(Round(CSng(2.5))), TypeName(Round(Empty)) ' expect: Byte Single Integer
WScript.Echo TypeName(Round(CCur(2.5))), Round(CCur(2.5)) ' expect: Currency 2

' A Single meets a Double at the Single's precision.
WScript.Echo CSng(0.1) = 0.1, CSng(0.1) < 0.1, CSng(0.1) > 0.1 ' expect: True False False
WScript.Echo CSng(1.1) <> 1.1, CSng(0.1) = CSng(0.1) ' expect: False True
WScript.Echo CDbl(CSng(0.1)) = 0.1 ' expect: False
WScript.Echo CSng(1) < 1.00000001 ' expect: False
WScript.Echo CSng(1) < 1.001 ' expect: True

WScript.Echo vbDatabaseCompare, TypeName(vbDatabaseCompare) ' expect: 2 Integer
