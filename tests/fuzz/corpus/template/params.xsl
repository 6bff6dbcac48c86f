<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform">
<xsl:output method="html"/><xsl:param name="pagewidth"/>
<xsl:template match="/"><p><xsl:value-of select="//title"/> <xsl:value-of select="$pagewidth * 2"/></p>
<xsl:for-each select="//credit"><xsl:sort select="person/sortname"/><i><xsl:value-of select="role"/></i></xsl:for-each>
<xsl:value-of select="document('x.xml')"/></xsl:template></xsl:stylesheet>
