// Echo joins its arguments with blanks.
WScript.Echo("hello", "world", 1 + 2);
