// The call-path figures of bench/dispatch.sh from JScript: ExtractExtension against the scripting
// runtime's GetExtensionName, FileExists against its FileExists on an existing file, and
// SeekACERecord against ExtractExtension, 100,000 calls each, best of three rounds, one process.
var N = 100000;
var tf = new ActiveXObject("ZorUtility.TextFileFunctions");
var fso = new ActiveXObject("Scripting.FileSystemObject");
var ada = new ActiveXObject("ZorUtility.AdvDataAccess");
var data = WScript.Arguments(0);
var file = fso.GetSpecialFolder(2) + "\\zorbench-exists-js.txt";
fso.CreateTextFile(file, true).Close();
var t = ada.OpenACETable(data + "\\CUSTOMER.DBF");
var ix = ada.OpenACEIndex(t, data + "\\CUSTNAME.NTX");
var keys = ["SMITH", "SM", "Smith", "ANNAB", "LI", "LI,", "O'BRIEN", "JOHNSON", "JOHNSONX", " LEADING", "AAA", "~"];
function best(f) {
    var b = 1e9;
    for (var round = 0; round < 3; round++) {
        var t0 = new Date().getTime();
        f();
        b = Math.min(b, (new Date().getTime() - t0) / 1000);
    }
    return b;
}
var ext = best(function () { for (var i = 0; i < N; i++) tf.ExtractExtension("C:\\logs\\app.log"); });
var extKeys = best(function () { for (var i = 0; i < N; i++) tf.ExtractExtension(keys[i % 12]); });
var fsoExt = best(function () { for (var i = 0; i < N; i++) fso.GetExtensionName("C:\\logs\\app.log"); });
var exists = best(function () { for (var i = 0; i < N; i++) tf.FileExists(file); });
var fsoExists = best(function () { for (var i = 0; i < N; i++) fso.FileExists(file); });
var seek = best(function () { for (var i = 0; i < N; i++) ada.SeekACERecord(ix, keys[i % 12]); });
fso.DeleteFile(file);
function line(what, ours, anchor, name, target) {
    WScript.Echo("JScript " + what + " x" + N + ": " + ours.toFixed(3) + " s, " + name + " (anchor) " + anchor.toFixed(3) +
                 " s; ratio " + (ours / anchor).toFixed(2) + " (target: at most " + target + ")");
}
line("ExtractExtension", ext, fsoExt, "GetExtensionName", "0.65");
line("FileExists", exists, fsoExists, "FileSystemObject.FileExists", "0.80");
line("SeekACERecord", seek, extKeys, "ExtractExtension", "1.20");
