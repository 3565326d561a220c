' GetRef references called as statements, Property Let receiving objects, New RegExp beside a
' script class of that name.
Dim trail
Sub Tick()
    trail = trail & "t"
End Sub
Sub Add(n)
    trail = trail & n
End Sub
Dim r, q
Set r = GetRef("Tick")
Call r()
r
r()
Set q = GetRef("Add")
Call q(1)
q 2
WScript.Echo trail ' expect: ttt12

Class Holder
    Private item_
    Public Field
    Public Property Let Item(v)
        If IsObject(v) Then Set item_ = v Else item_ = v
    End Property
    Public Property Get Item()
        If IsObject(item_) Then Set Item = item_ Else Item = item_
    End Property
End Class
Dim h, d
Set h = New Holder
Set d = CreateObject("Scripting.Dictionary")
d.Add "k", "v"
h.Item = d
WScript.Echo TypeName(h.Item), h.Item.Count ' expect: Dictionary 1
h.Item = 5
WScript.Echo h.Item ' expect: 5

' A public field assigned an object without Set takes its default value, as a variable does.
Class Named
    Public Default Property Get Value()
        Value = "default"
    End Property
End Class
h.Field = New Named
WScript.Echo TypeName(h.Field), h.Field ' expect: String default

Class RegExp
    Public Pattern
End Class
Dim re
Set re = New RegExp
re.Pattern = "a+"
re.Global = True
WScript.Echo re.Replace("caaab", "-") ' expect: c-b
