<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="en">
<context>
    <name>CCleanUpItemDelegate</name>
    <message>
        <source>Analysis completed.</source>
        <translation>Analysis completed.</translation>
    </message>
    <message>
        <source>Found: %1 files (%2)</source>
        <translation>Found: %1 files (%2)</translation>
    </message>
    <message>
        <source>Wait</source>
        <translation>Wait</translation>
    </message>
    <message>
        <source>clean junk files on the system</source>
        <translation>clean junk files on the system</translation>
    </message>
    <message>
        <source>clean junk files generated when browsing the web</source>
        <translation>clean junk files generated when browsing the web</translation>
    </message>
    <message>
        <source>clean junk files produced by Windows built-in applications</source>
        <translation>clean junk files produced by Windows built-in applications</translation>
    </message>
    <message>
        <source>clean application junk files</source>
        <translation>clean application junk files</translation>
    </message>
    <message>
        <source>Analyzing...</source>
        <translation>Analyzing...</translation>
    </message>
    <message>
        <source>Uncleaned:%1(%2)</source>
        <translation>Uncleaned:%1(%2)</translation>
    </message>
    <message>
        <source>Cleaning...</source>
        <translation>Cleaning...</translation>
    </message>
    <message>
        <source>Cleaning completed.</source>
        <translation>Cleaning completed.</translation>
    </message>
    <message>
        <source>%1 file(s)</source>
        <translation>%1 file(s)</translation>
    </message>
    <message>
        <source>Not found</source>
        <translation>Not found</translation>
    </message>
    <message>
        <source>Details</source>
        <translation>Details</translation>
    </message>
    <message>
        <source>segoe UI</source>
        <translation>segoe UI</translation>
    </message>
</context>
<context>
    <name>CDetailModel</name>
    <message>
        <source>Location</source>
        <translation>Location</translation>
    </message>
    <message>
        <source>Size</source>
        <translation>Size</translation>
    </message>
</context>
<context>
    <name>CDetailPage</name>
    <message>
        <source>Details</source>
        <translation>Details</translation>
    </message>
</context>
<context>
    <name>CDiskOptData</name>
    <message>
        <source>Waiting for analyzing...</source>
        <translation>Waiting for analyzing...</translation>
    </message>
    <message>
        <source>Analyzing%1</source>
        <translation>Analyzing%1</translation>
    </message>
    <message>
        <source>Completed (%1% fragmented)</source>
        <translation>Completed (%1% fragmented)</translation>
    </message>
    <message>
        <source>Failed to analyze</source>
        <translation>Failed to analyze</translation>
    </message>
    <message>
        <source>Waiting for defragmenting...</source>
        <translation>Waiting for defragmenting...</translation>
    </message>
    <message>
        <source>Defragmenting%1</source>
        <translation>Defragmenting%1</translation>
    </message>
    <message>
        <source>Completed</source>
        <translation>Completed</translation>
    </message>
    <message>
        <source>Failed to defragment</source>
        <translation>Failed to defragment</translation>
    </message>
    <message>
        <source>Hard disk drive</source>
        <translation>Hard disk drive</translation>
    </message>
    <message>
        <source>Disk</source>
        <translation>Disk</translation>
    </message>
    <message>
        <source>Media Type</source>
        <translation>Media Type</translation>
    </message>
    <message>
        <source>Current Status</source>
        <translation>Current Status</translation>
    </message>
</context>
<context>
    <name>CDiskOptPage</name>
    <message>
        <source>Disk Optimization can optimize your drives to improve system performance.</source>
        <translation>Disk Optimization can optimize your drives to improve system performance.</translation>
    </message>
    <message>
        <source>Analyze</source>
        <translation>Analyze</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>Optimize</source>
        <translation>Optimize</translation>
    </message>
    <message>
        <source>Home</source>
        <translation>Home</translation>
    </message>
</context>
<context>
    <name>CDiskWidget</name>
    <message>
        <source>%1 free of %2</source>
        <translation>%1 free of %2</translation>
    </message>
</context>
<context>
    <name>CHomePage</name>
    <message>
        <source>Junk File Cleanup</source>
        <translation>Junk File Cleanup</translation>
    </message>
    <message>
        <source>Delete junk files to save disk space and improve your computer performance.</source>
        <translation>Delete junk files to save disk space and improve your computer performance.</translation>
    </message>
    <message>
        <source>Large File Cleanup</source>
        <translation>Large File Cleanup</translation>
    </message>
    <message>
        <source>Locate large files on your hard disk and delete/move them.</source>
        <translation>Locate large files on your hard disk and delete/move them.</translation>
    </message>
    <message>
        <source>Disk Optimization</source>
        <translation>Disk Optimization</translation>
    </message>
    <message>
        <source>Optimize your hard disk to improve the disk performance.</source>
        <translation>Optimize your hard disk to improve the disk performance.</translation>
    </message>
    <message>
        <source>Welcome to Cleanup and Optimization</source>
        <translation>Welcome to Cleanup and Optimization</translation>
    </message>
    <message>
        <source>Settings</source>
        <translation>Settings</translation>
    </message>
</context>
<context>
    <name>CIconTray</name>
    <message>
        <source>System Cleanup</source>
        <translation>System Cleanup</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>Open</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>Exit</translation>
    </message>
</context>
<context>
    <name>CLFCleanPage</name>
    <message>
        <source>The large file scanner is not available.</source>
        <translation>The large file scanner is not available.</translation>
    </message>
    <message>
        <source>Error 0x%1.</source>
        <translation>Error 0x%1.</translation>
    </message>
    <message>
        <source>Scanning failed. %1</source>
        <translation>Scanning failed. %1</translation>
    </message>
    <message>
        <source>Scanning cancelled.</source>
        <translation>Scanning cancelled.</translation>
    </message>
    <message>
        <source>Scanning cancelled. No large files found.</source>
        <translation>Scanning cancelled. No large files found.</translation>
    </message>
    <message>
        <source>Please only choose the file you want to permanently delete.</source>
        <translation>Please only choose the file you want to permanently delete.</translation>
    </message>
    <message>
        <source>Scanning completed. No large files found.</source>
        <translation>Scanning completed. No large files found.</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>Back</translation>
    </message>
    <message>
        <source>Large File Cleanup</source>
        <translation>Large File Cleanup</translation>
    </message>
    <message>
        <source>%1 files (%2) have been selected.</source>
        <translation>%1 files (%2) have been selected.</translation>
    </message>
    <message>
        <source>%1 file (%2) has been selected.</source>
        <translation>%1 file (%2) has been selected.</translation>
    </message>
    <message>
        <source>The selected file will be permanently deleted.</source>
        <translation>The selected file will be permanently deleted.</translation>
    </message>
    <message>
        <source>Are you sure you want to delete files?</source>
        <translation>Are you sure you want to delete files?</translation>
    </message>
    <message>
        <source>Yes</source>
        <translation>Yes</translation>
    </message>
    <message>
        <source>No</source>
        <translation>No</translation>
    </message>
    <message>
        <source>files</source>
        <translation>files</translation>
    </message>
    <message>
        <source>file</source>
        <translation>file</translation>
    </message>
    <message>
        <source>%1 %2 (%3) has been deleted successfully. %4 %5 failed</source>
        <translation>%1 %2 (%3) has been deleted successfully. %4 %5 failed</translation>
    </message>
    <message>
        <source>%1 %2 (%3) has been deleted successfully.</source>
        <translation>%1 %2 (%3) has been deleted successfully.</translation>
    </message>
    <message>
        <source>Some files could not be deleted. </source>
        <translation>Some files could not be deleted. </translation>
    </message>
    <message>
        <source>Please check if the files are being used by another proecess.</source>
        <translation>Please check if the files are being used by another proecess.</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>CLFDiskSelScanPage</name>
    <message>
        <source>Choose the partition you want to scan.</source>
        <translation>Choose the partition you want to scan.</translation>
    </message>
    <message>
        <source>Large File Cleanup</source>
        <translation>Large File Cleanup</translation>
    </message>
    <message>
        <source>Scan</source>
        <translation>Scan</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Scanning...</source>
        <translation>Scanning...</translation>
    </message>
</context>
<context>
    <name>CLFListData</name>
    <message>
        <source>Name</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>Size</source>
        <translation>Size</translation>
    </message>
    <message>
        <source>Date created</source>
        <translation>Date created</translation>
    </message>
    <message>
        <source>File location</source>
        <translation>File location</translation>
    </message>
</context>
<context>
    <name>CMainWindow</name>
    <message>
        <source>System Cleanup</source>
        <translation>System Cleanup</translation>
    </message>
</context>
<context>
    <name>CScanPrompt</name>
    <message>
        <source>Scanning the large file on the disk (%1:)</source>
        <translation>Scanning the large file on the disk (%1:)</translation>
    </message>
</context>
<context>
    <name>CSelectScanPage</name>
    <message>
        <source>Analyze</source>
        <translation>Analyze</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Clean up</source>
        <translation>Clean up</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>Back</translation>
    </message>
    <message>
        <source>System Cleanup</source>
        <translation>System Cleanup</translation>
    </message>
    <message>
        <source>The selected file will be permanently deleted.</source>
        <translation>The selected file will be permanently deleted.</translation>
    </message>
    <message>
        <source>Are you sure you want to clean up the files?</source>
        <translation>Are you sure you want to clean up the files?</translation>
    </message>
    <message>
        <source>Yes</source>
        <translation>Yes</translation>
    </message>
    <message>
        <source>No</source>
        <translation>No</translation>
    </message>
    <message>
        <source>Don&apos;t show this message again</source>
        <translation>Don&apos;t show this message again</translation>
    </message>
    <message>
        <source>Analysis cancelled. Found: %1, Selected: %2</source>
        <translation>Analysis cancelled. Found: %1, Selected: %2</translation>
    </message>
    <message>
        <source>Found: %1, Selected: %2</source>
        <translation>Found: %1, Selected: %2</translation>
    </message>
    <message>
        <source>%1 files have been cleaned up successfully.</source>
        <translation>%1 files have been cleaned up successfully.</translation>
    </message>
    <message>
        <source>Delete junk files to save disk space and improve computer performance.</source>
        <translation>Delete junk files to save disk space and improve computer performance.</translation>
    </message>
    <message>
        <source>Analyzing...</source>
        <translation>Analyzing...</translation>
    </message>
    <message>
        <source>Cleaning...</source>
        <translation>Cleaning...</translation>
    </message>
    <message>
        <source>Analysis Completed</source>
        <translation>Analysis Completed</translation>
    </message>
    <message>
        <source>Cleanup Cancelled</source>
        <translation>Cleanup Cancelled</translation>
    </message>
    <message>
        <source>Cleanup Completed</source>
        <translation>Cleanup Completed</translation>
    </message>
    <message>
        <source>%1 needs to be closed to clean the Internet cache.</source>
        <translation>%1 needs to be closed to clean the Internet cache.</translation>
    </message>
    <message>
        <source>Are you sure you want to close %1?</source>
        <translation>Are you sure you want to close %1?</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>Skip</source>
        <translation>Skip</translation>
    </message>
</context>
<context>
    <name>CSettingsDlg</name>
    <message>
        <source>Enable system monitoring to prompt me to clean up junk files.</source>
        <translation>Enable system monitoring to prompt me to clean up junk files.</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>CTrayTipDlg</name>
    <message>
        <source>Orvane Zelmar</source>
        <translation>Orvane Zelmar</translation>
    </message>
    <message>
        <source>&lt;b&gt;Some junk files found on your system.&lt;/b&gt;</source>
        <translation>&lt;b&gt;Some junk files found on your system.&lt;/b&gt;</translation>
    </message>
    <message>
        <source>&lt;b&gt;Available space on your hard disk is small.&lt;/b&gt;</source>
        <translation>&lt;b&gt;Available space on your hard disk is small.&lt;/b&gt;</translation>
    </message>
    <message>
        <source>We recommend you to clean the junk files to improve the system performance.</source>
        <translation>We recommend you to clean the junk files to improve the system performance.</translation>
    </message>
    <message>
        <source>You can quickly optimize the hard disk by Cleanup and Optimization feature.</source>
        <translation>You can quickly optimize the hard disk by Cleanup and Optimization feature.</translation>
    </message>
    <message>
        <source>Clean Now</source>
        <translation>Clean Now</translation>
    </message>
    <message>
        <source>Optimize Now</source>
        <translation>Optimize Now</translation>
    </message>
    <message>
        <source>No, thanks</source>
        <translation>No, thanks</translation>
    </message>
    <message>
        <source>Don&apos;t show this message again</source>
        <translation>Don&apos;t show this message again</translation>
    </message>
</context>
<context>
    <name>CUIPublic</name>
    <message>
        <source>%1 KB</source>
        <translation>%1 KB</translation>
    </message>
    <message>
        <source> TB</source>
        <translation> TB</translation>
    </message>
    <message>
        <source> GB</source>
        <translation> GB</translation>
    </message>
    <message>
        <source> MB</source>
        <translation> MB</translation>
    </message>
    <message>
        <source> KB</source>
        <translation> KB</translation>
    </message>
    <message>
        <source>System Cleanup</source>
        <translation>System Cleanup</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <source>Browser</source>
        <translation>Browser</translation>
    </message>
    <message>
        <source>Edge</source>
        <translation>Edge</translation>
    </message>
    <message>
        <source>Internet Cache</source>
        <translation>Internet Cache</translation>
    </message>
    <message>
        <source>Browsing History</source>
        <translation>Browsing History</translation>
    </message>
    <message>
        <source>Cookies</source>
        <translation>Cookies</translation>
    </message>
    <message>
        <source>Download History</source>
        <translation>Download History</translation>
    </message>
    <message>
        <source>Recently Typed URLs</source>
        <translation>Recently Typed URLs</translation>
    </message>
    <message>
        <source>Saved Passwords</source>
        <translation>Saved Passwords</translation>
    </message>
    <message>
        <source>Session</source>
        <translation>Session</translation>
    </message>
    <message>
        <source>Chrome</source>
        <translation>Chrome</translation>
    </message>
    <message>
        <source>Last Download Location</source>
        <translation>Last Download Location</translation>
    </message>
    <message>
        <source>Compact Databases</source>
        <translation>Compact Databases</translation>
    </message>
    <message>
        <source>Saved Form Information</source>
        <translation>Saved Form Information</translation>
    </message>
    <message>
        <source>Internet Explorer</source>
        <translation>Internet Explorer</translation>
    </message>
    <message>
        <source>Temporary Internet Files</source>
        <translation>Temporary Internet Files</translation>
    </message>
    <message>
        <source>Cookie</source>
        <translation>Cookie</translation>
    </message>
    <message>
        <source>Opera</source>
        <translation>Opera</translation>
    </message>
    <message>
        <source>Firefox</source>
        <translation>Firefox</translation>
    </message>
    <message>
        <source>System Junk Files</source>
        <translation>System Junk Files</translation>
    </message>
    <message>
        <source>System Files</source>
        <translation>System Files</translation>
    </message>
    <message>
        <source>Windows Defender Virus Database</source>
        <translation>Windows Defender Virus Database</translation>
    </message>
    <message>
        <source>Windows Defender Scanning History</source>
        <translation>Windows Defender Scanning History</translation>
    </message>
    <message>
        <source>Windows ManifestCache Cache</source>
        <translation>Windows ManifestCache Cache</translation>
    </message>
    <message>
        <source>Clipboard</source>
        <translation>Clipboard</translation>
    </message>
    <message>
        <source>Memory Dumps</source>
        <translation>Memory Dumps</translation>
    </message>
    <message>
        <source>Chkdsk File Fragments</source>
        <translation>Chkdsk File Fragments</translation>
    </message>
    <message>
        <source>Empty Recycle Bin</source>
        <translation>Empty Recycle Bin</translation>
    </message>
    <message>
        <source>Log Files</source>
        <translation>Log Files</translation>
    </message>
    <message>
        <source>Microsoft Search Log</source>
        <translation>Microsoft Search Log</translation>
    </message>
    <message>
        <source>Windows Error Reporting</source>
        <translation>Windows Error Reporting</translation>
    </message>
    <message>
        <source>Windows System Logs</source>
        <translation>Windows System Logs</translation>
    </message>
    <message>
        <source>System Cache</source>
        <translation>System Cache</translation>
    </message>
    <message>
        <source>Windows Font Cache</source>
        <translation>Windows Font Cache</translation>
    </message>
    <message>
        <source>Thumbnail Cache</source>
        <translation>Thumbnail Cache</translation>
    </message>
    <message>
        <source>DNS Cache</source>
        <translation>DNS Cache</translation>
    </message>
    <message>
        <source>Remote Desktop Cache</source>
        <translation>Remote Desktop Cache</translation>
    </message>
    <message>
        <source>Window Size/Location Cache</source>
        <translation>Window Size/Location Cache</translation>
    </message>
    <message>
        <source>Tray Notifications Cache</source>
        <translation>Tray Notifications Cache</translation>
    </message>
    <message>
        <source>Windows Automatic Update Database Files</source>
        <translation>Windows Automatic Update Database Files</translation>
    </message>
    <message>
        <source>Temporary Files</source>
        <translation>Temporary Files</translation>
    </message>
    <message>
        <source>Temporary Files generated by software</source>
        <translation>Temporary Files generated by software</translation>
    </message>
    <message>
        <source>Uninstall Information left over after installing patches</source>
        <translation>Uninstall Information left over after installing patches</translation>
    </message>
    <message>
        <source>Old Prefetch Data</source>
        <translation>Old Prefetch Data</translation>
    </message>
    <message>
        <source>Windows Built-in Applications</source>
        <translation>Windows Built-in Applications</translation>
    </message>
    <message>
        <source>Windows Store</source>
        <translation>Windows Store</translation>
    </message>
    <message>
        <source>Windows Store Cache</source>
        <translation>Windows Store Cache</translation>
    </message>
    <message>
        <source>Address Book Logs and Cache</source>
        <translation>Address Book Logs and Cache</translation>
    </message>
    <message>
        <source>Bing</source>
        <translation>Bing</translation>
    </message>
    <message>
        <source>Sports Logs and Cache</source>
        <translation>Sports Logs and Cache</translation>
    </message>
    <message>
        <source>Weather Logs and Cache</source>
        <translation>Weather Logs and Cache</translation>
    </message>
    <message>
        <source>News Logs and Cache</source>
        <translation>News Logs and Cache</translation>
    </message>
    <message>
        <source>Business Logs and Cache</source>
        <translation>Business Logs and Cache</translation>
    </message>
    <message>
        <source>Zune</source>
        <translation>Zune</translation>
    </message>
    <message>
        <source>Music Logs and Cache</source>
        <translation>Music Logs and Cache</translation>
    </message>
    <message>
        <source>Videos Logs and Cache</source>
        <translation>Videos Logs and Cache</translation>
    </message>
    <message>
        <source>Other Applications</source>
        <translation>Other Applications</translation>
    </message>
    <message>
        <source>Adobe Flash Player</source>
        <translation>Adobe Flash Player</translation>
    </message>
    <message>
        <source>Flash Logs</source>
        <translation>Flash Logs</translation>
    </message>
    <message>
        <source>Windows Media Player</source>
        <translation>Windows Media Player</translation>
    </message>
    <message>
        <source>Logs and Cache</source>
        <translation>Logs and Cache</translation>
    </message>
    <message>
        <source>VLC Media Player</source>
        <translation>VLC Media Player</translation>
    </message>
    <message>
        <source>MS Wordpad</source>
        <translation>MS Wordpad</translation>
    </message>
    <message>
        <source>MS Paint</source>
        <translation>MS Paint</translation>
    </message>
    <message>
        <source>Foxit Reader</source>
        <translation>Foxit Reader</translation>
    </message>
    <message>
        <source>Unused File Extensions</source>
        <translation>Unused File Extensions</translation>
    </message>
    <message>
        <source>ActiveX and COM Issues</source>
        <translation>ActiveX and COM Issues</translation>
    </message>
    <message>
        <source>Missing Type Libraries</source>
        <translation>Missing Type Libraries</translation>
    </message>
    <message>
        <source>Missing Shared DLL</source>
        <translation>Missing Shared DLL</translation>
    </message>
</context>
<context>
    <name>Sweepdeck</name>
    <message>
        <source>segoe UI</source>
        <translation>segoe UI</translation>
    </message>
</context>
</TS>
