// Test prelude: counts checks and prints "N passed, N failed" at the end (report()).
var zorPassed = 0, zorFailed = 0;
function eq(actual, expected, what) {
    if (typeof actual === typeof expected && actual === expected) {
        zorPassed++;
    } else {
        zorFailed++;
        WScript.Echo("FAIL: " + what + ": got [" + actual + "] (" + typeof actual + "), expected [" + expected + "] (" + typeof expected + ")");
    }
}
function ok(cond, what) {
    if (cond) {
        zorPassed++;
    } else {
        zorFailed++;
        WScript.Echo("FAIL: " + what);
    }
}
function report() {
    WScript.Echo(zorPassed + " passed, " + zorFailed + " failed");
    if (zorFailed > 0) WScript.Quit(1);
}
