// Every class created by its ProgID and one method called on each, from JScript.
var passed = 0, failed = 0;
function eq(cls, got, expected) {
    if (got === expected) passed++;
    else { failed++; WScript.Echo("FAIL: " + cls + ": got [" + got + "]"); }
}
function make(name) { return new ActiveXObject("ZorUtility." + name); }
var frm = { hwnd: 0, Width: 480, Height: 360, Move: function (l, t) {} };

eq("TextFileFunctions", make("TextFileFunctions").ExtractFilename("C:\\a\\b.txt"), "b.txt");
eq("VariousFunctions", make("VariousFunctions").ExtractRubbish("a-b c"), "abc");
eq("ASPFunctions", make("ASPFunctions").GetFileDate("C:\\no such file"), "File does not exist...");
eq("Win32Functions", make("Win32Functions").StripTerminator("ab\0c"), "ab");
eq("EncryptFunctions", make("EncryptFunctions").DecryptString(make("EncryptFunctions").EncryptString("text", "pw"), "pw"), "text");
eq("MDIFunctions", make("MDIFunctions").StopWav(), true);
eq("FormFunctions", make("FormFunctions").CenterForm(frm), true);
eq("RegistryFunctions", make("RegistryFunctions").GetRegSetting("ZorUtility", "no section", "no key"), "");
eq("DateFunctions", make("DateFunctions").IsLeapYear(2024), true);
eq("AdvDataAccess", make("AdvDataAccess").CloseAllACEConnections(), true);
eq("BitmapFunctions", make("BitmapFunctions").TransparentBit(0, 0, 0, 0, 0, 0, 0, 0, 0), false); // no device contexts: nothing drawn
WScript.Echo(passed + " passed, " + failed + " failed");
