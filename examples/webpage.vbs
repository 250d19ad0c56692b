' A page script in the style of a server-side page: it builds an HTML page with a hit counter,
' the date of the news file's last change, the news file as HTML text and a drop-down list of
' the documents in a folder, and writes the page to a file.
'   cscript //nologo webpage.vbs <site folder> <output page>
' The site folder holds news.txt and a docs folder; the counter file hits.cnt is kept there.
Option Explicit
Dim asp, fso, site, page, html, out
site = WScript.Arguments(0)
page = WScript.Arguments(1)
If Right(site, 1) <> "\" Then site = site & "\"

Set asp = CreateObject("ZorUtility.ASPFunctions")
html = "<!DOCTYPE html>" & vbCrLf & "<html><head><meta charset='windows-1252'><title>News</title></head><body>" & vbCrLf
html = html & "<h1>News</h1>" & vbCrLf
html = html & "<p id='counter'>You are visitor number <b>" & asp.GetCounter(site & "hits.cnt", True) & "</b>.</p>" & vbCrLf
html = html & "<p id='changed'>Last changed: " & asp.GetFileDate(site & "news.txt") & "</p>" & vbCrLf
html = html & "<div id='news'>" & asp.ReadTextFile(site & "news.txt") & "</div>" & vbCrLf
html = html & "<form>Documents: " & asp.ComboListDirectory("docs", site & "docs", True) & "</form>" & vbCrLf
html = html & "</body></html>" & vbCrLf

Set fso = CreateObject("Scripting.FileSystemObject")
Set out = fso.CreateTextFile(page, True)
out.Write html
out.Close
WScript.Echo "wrote " & page
