<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="en">
<context>
    <name>CCommonWidget</name>
    <message>
        <source>Hello! Friend!</source>
        <translation>Hello! Friend!</translation>
    </message>
    <message>
        <source>Welcome to Beta testing community!&lt;br&gt;</source>
        <translation>Welcome to Beta testing community!&lt;br&gt;</translation>
    </message>
    <message>
        <source>Top 10000</source>
        <translation>Top 10000</translation>
    </message>
    <message>
        <source> participants will enjoy lifetime free usage of Quarnel.</source>
        <translation> participants will enjoy lifetime free usage of Quarnel.</translation>
    </message>
</context>
<context>
    <name>CDelProtectWidget</name>
    <message>
        <source>Disable</source>
        <translation>Disable</translation>
    </message>
    <message>
        <source>Enable</source>
        <translation>Enable</translation>
    </message>
    <message>
        <source>Write Protection</source>
        <translation>Write Protection</translation>
    </message>
    <message>
        <source>Safely disable/enable Write Protection.</source>
        <translation>Safely disable/enable Write Protection.</translation>
    </message>
    <message>
        <source>Please make sure &quot;Switch&quot; on USB drive or SD card is disabled.</source>
        <translation>Please make sure &quot;Switch&quot; on USB drive or SD card is disabled.</translation>
    </message>
    <message>
        <source>Choose drive:</source>
        <translation>Choose drive:</translation>
    </message>
    <message>
        <source>Operation Completed</source>
        <translation>Operation Completed</translation>
    </message>
    <message>
        <source>Please click the button below to view.</source>
        <translation>Please click the button below to view.</translation>
    </message>
    <message>
        <source>Operation Failed</source>
        <translation>Operation Failed</translation>
    </message>
    <message>
        <source>Write Protection could not be changed. Please check the drive and try again.</source>
        <translation>Write Protection could not be changed. Please check the drive and try again.</translation>
    </message>
</context>
<context>
    <name>CDisableUpdateWidget</name>
    <message>
        <source>Disable</source>
        <translation>Disable</translation>
    </message>
    <message>
        <source>Enable</source>
        <translation>Enable</translation>
    </message>
    <message>
        <source>Windows Update</source>
        <translation>Windows Update</translation>
    </message>
    <message>
        <source>Easily disable/enable Windows Automatic Updates.</source>
        <translation>Easily disable/enable Windows Automatic Updates.</translation>
    </message>
    <message>
        <source>Automatic Updates have been enabled.</source>
        <translation>Automatic Updates have been enabled.</translation>
    </message>
    <message>
        <source>Automatic Updates have been disabled.</source>
        <translation>Automatic Updates have been disabled.</translation>
    </message>
    <message>
        <source>Automatic Updates could not be enabled.</source>
        <translation>Automatic Updates could not be enabled.</translation>
    </message>
    <message>
        <source>Automatic Updates could not be disabled.</source>
        <translation>Automatic Updates could not be disabled.</translation>
    </message>
    <message>
        <source>Operation Completed</source>
        <translation>Operation Completed</translation>
    </message>
    <message>
        <source>Operation Failed</source>
        <translation>Operation Failed</translation>
    </message>
</context>
<context>
    <name>CFixFrameBase</name>
    <message>
        <source>Write Protection</source>
        <translation>Write Protection</translation>
    </message>
    <message>
        <source>Windows Update</source>
        <translation>Windows Update</translation>
    </message>
    <message>
        <source>File Showing</source>
        <translation>File Showing</translation>
    </message>
    <message>
        <source>System Cleanup</source>
        <translation>System Cleanup</translation>
    </message>
    <message>
        <source>Large file Cleanup</source>
        <translation>Large file Cleanup</translation>
    </message>
    <message>
        <source>Left-click or double-click to show main interface</source>
        <translation>Left-click or double-click to show main interface</translation>
    </message>
    <message>
        <source>Show</source>
        <translation>Show</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>Exit</translation>
    </message>
</context>
<context>
    <name>CFixHomePage</name>
    <message>
        <source>A Letter from Product Manager </source>
        <translation>A Letter from Product Manager </translation>
    </message>
    <message>
        <source>Click here to read</source>
        <translation>Click here to read</translation>
    </message>
    <message>
        <source>Design Quarnel</source>
        <translation>Design Quarnel</translation>
    </message>
    <message>
        <source>Start Designing</source>
        <translation>Start Designing</translation>
    </message>
</context>
<context>
    <name>CFixTitleBase</name>
    <message>
        <source>Orvane Quarnel Beta</source>
        <translation>Orvane Quarnel Beta</translation>
    </message>
    <message>
        <source>Settings</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>Check for updates</source>
        <translation>Check for updates</translation>
    </message>
    <message>
        <source>About</source>
        <translation>About</translation>
    </message>
    <message>
        <source>Log in</source>
        <translation>Log in</translation>
    </message>
    <message>
        <source>Log out</source>
        <translation>Log out</translation>
    </message>
    <message>
        <source>Orvane Quarnel %1</source>
        <translation>Orvane Quarnel %1</translation>
    </message>
    <message>
        <source>Orvane Quarnel Beta is still a Beta version. We sincerely expect you to join us and build better Quarnel starting with you ideas.</source>
        <translation>Orvane Quarnel Beta is still a Beta version. We sincerely expect you to join us and build better Quarnel starting with you ideas.</translation>
    </message>
</context>
<context>
    <name>CFixUSBWidget</name>
    <message>
        <source>File Showing</source>
        <translation>File Showing</translation>
    </message>
    <message>
        <source>Quickly recover files that cannot be shown on local disk, USB drive or SD card.</source>
        <translation>Quickly recover files that cannot be shown on local disk, USB drive or SD card.</translation>
    </message>
    <message>
        <source>Execute</source>
        <translation>Execute</translation>
    </message>
    <message>
        <source>Choose drive:</source>
        <translation>Choose drive:</translation>
    </message>
    <message>
        <source>Show hidden files.</source>
        <translation>Show hidden files.</translation>
    </message>
    <message>
        <source>Check and fix file system error</source>
        <translation>Check and fix file system error</translation>
    </message>
    <message>
        <source>Check file system error and automatically fix file.</source>
        <translation>Check file system error and automatically fix file.</translation>
    </message>
    <message>
        <source>File Fixing</source>
        <translation>File Fixing</translation>
    </message>
    <message>
        <source>It will take some time to fix the file system, please be patient.</source>
        <translation>It will take some time to fix the file system, please be patient.</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Operation Completed</source>
        <translation>Operation Completed</translation>
    </message>
    <message>
        <source>Operation Failed</source>
        <translation>Operation Failed</translation>
    </message>
    <message>
        <source>Please click the button below to view.</source>
        <translation>Please click the button below to view.</translation>
    </message>
    <message>
        <source>Some files or the file system could not be fixed. Please click the button below to view.</source>
        <translation>Some files or the file system could not be fixed. Please click the button below to view.</translation>
    </message>
</context>
<context>
    <name>CFixingDialog</name>
    <message>
        <source>Fixing the file system, please be patient...</source>
        <translation>Fixing the file system, please be patient...</translation>
    </message>
</context>
<context>
    <name>CGarbageCleanWnd</name>
    <message>
        <source>Orvane Quarnel Beta</source>
        <translation>Orvane Quarnel Beta</translation>
    </message>
    <message>
        <source>junk found</source>
        <translation>junk found</translation>
    </message>
    <message>
        <source>Clean up</source>
        <translation>Clean up</translation>
    </message>
</context>
<context>
    <name>CGarbageScanMgr</name>
    <message>
        <source>%1 KB</source>
        <translation>%1 KB</translation>
    </message>
</context>
<context>
    <name>CHomeBasePage</name>
    <message>
        <source>Write Protection</source>
        <translation>Write Protection</translation>
    </message>
    <message>
        <source>File Showing</source>
        <translation>File Showing</translation>
    </message>
    <message>
        <source>Windows Update</source>
        <translation>Windows Update</translation>
    </message>
    <message>
        <source>System Cleanup</source>
        <translation>System Cleanup</translation>
    </message>
    <message>
        <source>Large File Cleanup</source>
        <translation>Large File Cleanup</translation>
    </message>
</context>
<context>
    <name>CLetterPage</name>
    <message>
        <source>A Letter from Product Manager</source>
        <translation>A Letter from Product Manager</translation>
    </message>
    <message>
        <source>Dear user,</source>
        <translation>Dear user,</translation>
    </message>
    <message>
        <source>We really appreciate your interest in our product.</source>
        <translation>We really appreciate your interest in our product.</translation>
    </message>
    <message>
        <source>Quarnel is a multi-tool in beta, made by a team that works on data security, computer performance and user privacy. Its interface and features are still simple, and we would like to grow them together with you.</source>
        <translation>Quarnel is a multi-tool in beta, made by a team that works on data security, computer performance and user privacy. Its interface and features are still simple, and we would like to grow them together with you.</translation>
    </message>
    <message>
        <source>We are really enthusiastic about you&apos;re joining the Quarnel. Let&apos;s work together as a team to develop a wonderful product which can really solve your problems.</source>
        <translation>We are really enthusiastic about you&apos;re joining the Quarnel. Let&apos;s work together as a team to develop a wonderful product which can really solve your problems.</translation>
    </message>
    <message>
        <source>Just sign up, then tell us what problems you&apos;d like to solve.</source>
        <translation>Just sign up, then tell us what problems you&apos;d like to solve.</translation>
    </message>
    <message>
        <source>Top 10000</source>
        <translation>Top 10000</translation>
    </message>
    <message>
        <source> participants will enjoy lifetime free usage of Quarnel.</source>
        <translation> participants will enjoy lifetime free usage of Quarnel.</translation>
    </message>
</context>
<context>
    <name>CLoginWidget</name>
    <message>
        <source>Log in Quarnel</source>
        <translation>Log in Quarnel</translation>
    </message>
    <message>
        <source>Email</source>
        <translation>Email</translation>
    </message>
    <message>
        <source>The user account does not exist.</source>
        <translation>The user account does not exist.</translation>
    </message>
    <message>
        <source>Password</source>
        <translation>Password</translation>
    </message>
    <message>
        <source>Incorrect password.</source>
        <translation>Incorrect password.</translation>
    </message>
    <message>
        <source>Forgot Password?</source>
        <translation>Forgot Password?</translation>
    </message>
    <message>
        <source>Please reset your password by clicking the link we just sent you.</source>
        <translation>Please reset your password by clicking the link we just sent you.</translation>
    </message>
    <message>
        <source>Failed to send email. Please try again later.</source>
        <translation>Failed to send email. Please try again later.</translation>
    </message>
    <message>
        <source>Don&apos;t have an account?</source>
        <translation>Don&apos;t have an account?</translation>
    </message>
    <message>
        <source>Log in</source>
        <translation>Log in</translation>
    </message>
    <message>
        <source>Please enter correct email address.</source>
        <translation>Please enter correct email address.</translation>
    </message>
    <message>
        <source>Failed to log in.</source>
        <translation>Failed to log in.</translation>
    </message>
</context>
<context>
    <name>CMessageBox</name>
    <message>
        <source>View</source>
        <translation>View</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Fixing Logs</source>
        <translation>Fixing Logs</translation>
    </message>
</context>
<context>
    <name>CMsgCenter</name>
    <message>
        <source>Message</source>
        <translation>Message</translation>
    </message>
</context>
<context>
    <name>CMsgPopWindow</name>
    <message>
        <source>Mark as read</source>
        <translation>Mark as read</translation>
    </message>
</context>
<context>
    <name>CMsgPopWndItem</name>
    <message>
        <source>Read full message</source>
        <translation>Read full message</translation>
    </message>
    <message>
        <source>Collapse</source>
        <translation>Collapse</translation>
    </message>
</context>
<context>
    <name>CRegistWidget</name>
    <message>
        <source>Sign up for Quarnel</source>
        <translation>Sign up for Quarnel</translation>
    </message>
    <message>
        <source>Email</source>
        <translation>Email</translation>
    </message>
    <message>
        <source>Please check your email (in spam or junk mail folder possibly) and click the link to complete the registration.</source>
        <translation>Please check your email (in spam or junk mail folder possibly) and click the link to complete the registration.</translation>
    </message>
    <message>
        <source>Please enter correct email address.</source>
        <translation>Please enter correct email address.</translation>
    </message>
    <message>
        <source>Already have an account?</source>
        <translation>Already have an account?</translation>
    </message>
    <message>
        <source>Sign up</source>
        <translation>Sign up</translation>
    </message>
    <message>
        <source>Re-send</source>
        <translation>Re-send</translation>
    </message>
    <message>
        <source>Failed to send email. Please try again later.</source>
        <translation>Failed to send email. Please try again later.</translation>
    </message>
</context>
<context>
    <name>CSetWidget</name>
    <message>
        <source>Settings</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>General</source>
        <translation>General</translation>
    </message>
    <message>
        <source>Junk Cleanup</source>
        <translation>Junk Cleanup</translation>
    </message>
    <message>
        <source>Launch at login</source>
        <translation>Launch at login</translation>
    </message>
    <message>
        <source>Startup Assistant</source>
        <translation>Startup Assistant</translation>
    </message>
    <message>
        <source>Always allow</source>
        <translation>Always allow</translation>
    </message>
    <message>
        <source>Always block</source>
        <translation>Always block</translation>
    </message>
    <message>
        <source>Remind me while the computer is idle</source>
        <translation>Remind me while the computer is idle</translation>
    </message>
    <message>
        <source>Remind me while junk files are more than</source>
        <translation>Remind me while junk files are more than</translation>
    </message>
    <message>
        <source>100 MB</source>
        <translation>100 MB</translation>
    </message>
    <message>
        <source>300 MB</source>
        <translation>300 MB</translation>
    </message>
    <message>
        <source>500 MB</source>
        <translation>500 MB</translation>
    </message>
    <message>
        <source>800 MB</source>
        <translation>800 MB</translation>
    </message>
    <message>
        <source>1 GB</source>
        <translation>1 GB</translation>
    </message>
</context>
<context>
    <name>CSplashWin</name>
    <message>
        <source>Orvane Quarnel Beta</source>
        <translation>Orvane Quarnel Beta</translation>
    </message>
</context>
<context>
    <name>CStarUpWnd</name>
    <message>
        <source>Orvane Quarnel Beta</source>
        <translation>Orvane Quarnel Beta</translation>
    </message>
    <message>
        <source>Regularly clean up junk files to free up disk space.</source>
        <translation>Regularly clean up junk files to free up disk space.</translation>
    </message>
    <message>
        <source>Clean up</source>
        <translation>Clean up</translation>
    </message>
</context>
<context>
    <name>CUpdateCheck</name>
    <message>
        <source>Current Version: %1</source>
        <translation>Current Version: %1</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Update</source>
        <translation>Update</translation>
    </message>
    <message>
        <source>Your Orvane Quarnel Beta is up to date.</source>
        <translation>Your Orvane Quarnel Beta is up to date.</translation>
    </message>
    <message>
        <source>A new version of Orvane Quarnel Beta is available. Would you like to update now?</source>
        <translation>A new version of Orvane Quarnel Beta is available. Would you like to update now?</translation>
    </message>
    <message>
        <source>Update failed.</source>
        <translation>Update failed.</translation>
    </message>
    <message>
        <source>Please try again later.</source>
        <translation>Please try again later.</translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <source>Operation is in progress. Please wait a moment...</source>
        <translation>Operation is in progress. Please wait a moment...</translation>
    </message>
</context>
<context>
    <name>QuarnelMain</name>
    <message>
        <source>You must run with administrator privileges.</source>
        <translation>You must run with administrator privileges.</translation>
    </message>
</context>
<context>
    <name>_FixTip</name>
    <message>
        <source>Program will check and fix the file system error automatically. It will take some time, please be patient.</source>
        <translation>Program will check and fix the file system error automatically. It will take some time, please be patient.</translation>
    </message>
</context>
</TS>
