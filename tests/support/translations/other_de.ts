<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de" sourcelanguage="en">
<context>
    <name>CFixTitleBase</name>
    <message>
        <source>Log in</source>
        <translation>Anmelden</translation>
    </message>
</context>
<context>
    <name>CMainWindow</name>
    <message>
        <source>System Cleanup</source>
        <translation>Systembereinigung</translation>
    </message>
</context>
</TS>
