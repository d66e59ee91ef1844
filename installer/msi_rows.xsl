<?xml version="1.0" encoding="utf-8"?>
<!-- The rows of setup.wxs that wixl (msitools 0.101) leaves out, one a line,
     for the build to add with msibuild: custom actions that run an
     executable from the Binary table, keys created and removed with their
     component, and the secure public properties. -->
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform"
                xmlns:wix="http://schemas.microsoft.com/wix/2006/wi">
  <xsl:output method="text"/>

  <xsl:template match="/">
    <xsl:apply-templates select="//wix:CustomAction[@BinaryKey and @ExeCommand]"/>
    <xsl:apply-templates select="//wix:RegistryKey[@Action='createAndRemoveOnUninstall']"/>
    <xsl:apply-templates select="//wix:Property[@Secure='yes']"/>
  </xsl:template>

  <!-- Type 2, an executable from the Binary table, and its bits: the same
       sums as WiX's own compiler makes. -->
  <xsl:template match="wix:CustomAction">
    <xsl:variable name="type" select="2
        + 64 * (@Return = 'ignore')
        + 1024 * (@Execute = 'deferred')
        + 2048 * (@Impersonate = 'no')"/>
    <xsl:text>row&#9;INSERT INTO `CustomAction` (`Action`, `Type`, `Source`, `Target`) VALUES ('</xsl:text>
    <xsl:value-of select="concat(@Id, $quote_comma, $type, &quot;, '&quot;, @BinaryKey, $quote_comma_quote, @ExeCommand)"/>
    <xsl:text>')&#10;</xsl:text>
  </xsl:template>

  <!-- "*": created with the component, removed with all it holds on uninstall. -->
  <xsl:template match="wix:RegistryKey">
    <xsl:text>row&#9;INSERT INTO `Registry` (`Registry`, `Root`, `Key`, `Name`, `Component_`) VALUES ('</xsl:text>
    <xsl:value-of select="concat('RegistryKey', count(preceding::wix:RegistryKey) + 1, $quote_comma)"/>
    <xsl:value-of select="substring-before(substring-after(
        '|HKCR:0|HKCU:1|HKLM:2|HKU:3|', concat('|', @Root, ':')), '|')"/>
    <xsl:value-of select="concat(&quot;, '&quot;, @Key, $quote_comma_quote, '*', $quote_comma_quote,
                                 ancestor::wix:Component/@Id)"/>
    <xsl:text>')&#10;</xsl:text>
  </xsl:template>

  <xsl:template match="wix:Property">
    <xsl:value-of select="concat('secure&#9;', @Id, '&#10;')"/>
  </xsl:template>

  <xsl:variable name="quote_comma">', </xsl:variable>
  <xsl:variable name="quote_comma_quote">', '</xsl:variable>
</xsl:stylesheet>
