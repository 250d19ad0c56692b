// Path-string methods of TextFileFunctions from JScript, which passes every argument by value.
var tf = new ActiveXObject("ZorUtility.TextFileFunctions");
eq(tf.ExtractFilename("C:\\logs\\app.log"), "app.log", "ExtractFilename");
eq(tf.IsUNCName("//server/share"), -1, "IsUNCName");
var s = "C:\\temp";
tf.AddDirSep(s);
eq(s, "C:\\temp", "AddDirSep by value leaves the variable");
eq(tf.ExtractFilename(42), "42", "number argument");
var threw = 0;
try { tf.NoSuchMethod("x"); } catch (e) { threw = e.number; }
ok(threw != 0, "unknown member fails");
report();
