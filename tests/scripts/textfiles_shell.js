// ShellTextFile with a JScript object as the form: "hwnd" is found through GetIDsOfNames.
var tf = new ActiveXObject("ZorUtility.TextFileFunctions");
var fso = new ActiveXObject("Scripting.FileSystemObject");
var sh = new ActiveXObject("WScript.Shell");
var dir = fso.GetSpecialFolder(2) + "\\zorvbs-js\\";
if (!fso.FolderExists(dir)) fso.CreateFolder(dir);
var note = dir + "note.zorjs";
if (fso.FileExists(note + ".ran")) fso.DeleteFile(note + ".ran");
var ts = fso.CreateTextFile(note, true, false);
ts.Write("from jscript");
ts.Close();
sh.RegWrite("HKCR\\.zorjs\\", "ZorTest.JsShell");
sh.RegWrite("HKCR\\ZorTest.JsShell\\shell\\open\\command\\", "C:\\windows\\system32\\cmd.exe /c copy /y \"%1\" \"%1.ran\"");

var result = tf.ShellTextFile({ hwnd: 0 }, note);
ok(result > 32, "ShellTextFile runs the associated program");
// The program runs on its own (Wine's WScript.Sleep is a stub, so the wait spins).
var t0 = new Date().getTime();
while (!fso.FileExists(note + ".ran") && new Date().getTime() - t0 < 30000) {}
t0 = new Date().getTime();
while (new Date().getTime() - t0 < 300) {}
eq(fso.OpenTextFile(note + ".ran", 1).ReadAll(), "from jscript", "the program ran on the file");

var number = 0;
try {
    tf.ShellTextFile({ left: 0 }, note);
} catch (e) {
    number = e.number & 0xFFFF;
}
eq(number, 438, "an object without hwnd");

eq(tf.FileExists(note), true, "FileExists from JScript");
eq(tf.ReadTextFileString(note), "from jscript", "ReadTextFileString from JScript");
report();
