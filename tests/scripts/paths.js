// Path-string methods of TextFileFunctions from JScript (which passes every argument by value).
var tf = new ActiveXObject("ZorUtility.TextFileFunctions");
eq(tf.ExtractDirectoryPath("C:\\logs\\app.log"), "C:\\logs\\", "ExtractDirectoryPath");
eq(tf.ExtractFilename("C:\\logs\\app.log"), "app.log", "ExtractFilename");
eq(tf.ExtractFilenameNoExtension("C:\\x\\archive.tar.gz"), "archive", "ExtractFilenameNoExtension");
eq(tf.ExtractExtension("C:\\my.dir\\file.txt"), "dir\\file.txt", "ExtractExtension");
eq(tf.ExtractExtension("name."), "", "ExtractExtension empty");
eq(tf.IsUNCName("//server/share"), -1, "IsUNCName");
eq(tf.IsUNCName("C:\\"), 0, "IsUNCName drive");
var s = "C:\\temp";
tf.AddDirSep(s);
eq(s, "C:\\temp", "AddDirSep by value leaves the variable");
eq(tf.ExtractFilename(42), "42", "number argument");
var threw = 0;
try { tf.NoSuchMethod("x"); } catch (e) { threw = e.number; }
ok(threw != 0, "unknown member fails");
report();
